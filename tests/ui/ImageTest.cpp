#include <gtest/gtest.h>

#include <array>

#include "ui/Image.h"

namespace {

struct Case {
  int areaWidth, areaHeight, pictureWidth, pictureHeight;
  bool stretch;
  RECT expected;
};

TEST(ImageDestination, StretchingFitsThePictureWithItsProportionsCentredAndNaturalSizeCentresIt) {
  const Case cases[] = {
      {500, 400, 3840, 2160, true, {0, 59, 500, 340}},      // wide picture: full width, bands above and below
      {500, 400, 1000, 2000, true, {150, 0, 350, 400}},     // tall picture: full height, bands left and right
      {500, 400, 1000, 800, true, {0, 0, 500, 400}},        // same proportions: the whole area
      {500, 400, 50, 40, false, {225, 180, 275, 220}},      // natural size, centred
      {500, 400, 800, 600, false, {-150, -100, 650, 500}},  // larger than the area: centred, cut off
      {500, 400, 0, 0, true, {250, 200, 250, 200}},         // nothing to show
  };
  for (const Case& c : cases) {
    const RECT r = ui::TImage::DestinationRect(c.areaWidth, c.areaHeight, c.pictureWidth, c.pictureHeight, c.stretch);
    EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
              (std::array{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
        << c.pictureWidth << "x" << c.pictureHeight << (c.stretch ? " stretched" : "");
  }
}

}  // namespace
