// The PNG decoding behind pictures copied as "PNG": every colour type and depth as libpng writes
// them, and damaged or oversized input, which must end in the program's error and never in a
// read past the block or an allocation the header alone asked for.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "clipboard/PngDecoder.h"
#include "support/PngFiles.h"
#include "ui/Errors.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testing_support::PngChunk;
using testing_support::PngPicture;

const std::wstring kInvalid = L"Ungültiges PNG-Bild in der Zwischenablage";
const std::wstring kTooLarge = L"PNG-Bild in der Zwischenablage ist zu groß";

// Bytes that end exactly where readable memory ends, so any read past them faults.
class GuardedBlock {
 public:
  explicit GuardedBlock(const Bytes& bytes) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    const std::size_t readable = (bytes.size() + page - 1) / page * page + page;
    base_ =
        static_cast<std::uint8_t*>(VirtualAlloc(nullptr, readable + page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old = 0;
    if (!base_ || !VirtualProtect(base_ + readable, page, PAGE_NOACCESS, &old)) {
      ADD_FAILURE() << "no guarded block";
      return;
    }
    data_ = base_ + readable - bytes.size();
    std::memcpy(data_, bytes.data(), bytes.size());
    size_ = bytes.size();
  }
  ~GuardedBlock() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedBlock(const GuardedBlock&) = delete;
  GuardedBlock& operator=(const GuardedBlock&) = delete;
  [[nodiscard]] std::span<const std::uint8_t> Span() const { return {data_, size_}; }

 private:
  std::uint8_t* base_ = nullptr;
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

struct Decoded {
  std::wstring error;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, rows top first
};

Decoded Decode(const Bytes& bytes) {
  Decoded result;
  GuardedBlock block(bytes);
  try {
    clipboard::PngDecoder png(block.Span());
    result.width = png.Width();
    result.height = png.Height();
    result.pixels.assign(std::size_t{result.width} * result.height, 0xDEADBEEF);
    png.DecodeBgra(reinterpret_cast<std::uint8_t*>(result.pixels.data()),
                   static_cast<std::ptrdiff_t>(result.width) * 4);
  } catch (const ui::Exception& e) {
    result.error = e.Message();
  }
  return result;
}

// Samples from a fixed sequence, the same every run.
class Sequence {
 public:
  explicit Sequence(std::uint32_t seed) : state_(seed) {}
  std::uint16_t Next(std::uint32_t limit) {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<std::uint16_t>((state_ >> 8) % limit);
  }

 private:
  std::uint32_t state_;
};

struct DecodedForm {
  int colorType;
  int bitDepth;
  bool transparency;  // tRNS: palette alphas or a transparent colour
  bool interlaced;
  std::uint32_t width = 13;
  std::uint32_t height = 9;
};

PngPicture MakePicture(const DecodedForm& form) {
  PngPicture picture;
  picture.width = form.width;
  picture.height = form.height;
  picture.colorType = form.colorType;
  picture.bitDepth = form.bitDepth;
  picture.interlaced = form.interlaced;
  Sequence next(static_cast<std::uint32_t>(form.colorType * 100 + form.bitDepth));
  const std::uint32_t levels = 1u << form.bitDepth;
  const std::size_t count = std::size_t{form.width} * form.height * static_cast<std::size_t>(picture.Channels());
  if (form.colorType == 3) {
    for (std::uint32_t i = 0; i < levels; ++i) {
      picture.palette.push_back({static_cast<std::uint8_t>(next.Next(256)), static_cast<std::uint8_t>(next.Next(256)),
                                 static_cast<std::uint8_t>(next.Next(256))});
    }
    if (form.transparency) {
      for (std::uint32_t i = 0; i < (levels + 1) / 2; ++i)
        picture.paletteAlpha.push_back(static_cast<std::uint8_t>(next.Next(256)));
    }
  }
  for (std::size_t i = 0; i < count; ++i) picture.samples.push_back(next.Next(levels));
  if (form.transparency && form.colorType != 3) {
    const std::uint16_t* second = &picture.samples[static_cast<std::size_t>(picture.Channels())];  // pixel (1, 0)
    picture.transparentColor = {second[0], form.colorType == 2 ? second[1] : std::uint16_t{0},
                                form.colorType == 2 ? second[2] : std::uint16_t{0}};
  }
  return picture;
}

std::string FormName(const ::testing::TestParamInfo<DecodedForm>& info) {
  const DecodedForm& f = info.param;
  const char* types[] = {"Grey", "", "Rgb", "Palette", "GreyAlpha", "", "Rgba"};
  return types[f.colorType] + std::to_string(f.bitDepth) + (f.transparency ? "Trns" : "") +
         (f.interlaced ? "Interlaced" : "") + "_" + std::to_string(f.width) + "x" + std::to_string(f.height);
}

std::vector<DecodedForm> EveryForm() {
  const DecodedForm kinds[] = {{0, 1, false, false},  {0, 2, true, false},  {0, 4, false, false}, {0, 8, true, false},
                               {0, 16, false, false}, {0, 16, true, false}, {2, 8, false, false}, {2, 8, true, false},
                               {2, 16, false, false}, {2, 16, true, false}, {3, 1, true, false},  {3, 2, false, false},
                               {3, 4, true, false},   {3, 8, false, false}, {3, 8, true, false},  {4, 8, false, false},
                               {4, 16, false, false}, {6, 8, false, false}, {6, 16, false, false}};
  std::vector<DecodedForm> forms;
  for (const DecodedForm& kind : kinds) {
    forms.push_back(kind);
    forms.push_back({kind.colorType, kind.bitDepth, kind.transparency, true});
  }
  forms.push_back({6, 8, false, true, 1, 1});  // every Adam7 pass but the first is empty
  forms.push_back({3, 2, true, true, 5, 3});
  forms.push_back({0, 16, false, false, 1, 40});
  return forms;
}

class PngDecoderForms : public ::testing::TestWithParam<DecodedForm> {};

TEST_P(PngDecoderForms, DecodeToTheirPixelsWithStraightAlpha) {
  const PngPicture picture = MakePicture(GetParam());
  const Bytes file = testing_support::EncodePng(picture);
  ASSERT_FALSE(file.empty());
  const Decoded decoded = Decode(file);
  ASSERT_EQ(decoded.error, L"");
  ASSERT_EQ(decoded.width, picture.width);
  ASSERT_EQ(decoded.height, picture.height);
  int wrong = 0;
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    for (std::uint32_t x = 0; x < picture.width; ++x) {
      const std::uint32_t got = decoded.pixels[y * picture.width + x];
      if (got != picture.Bgra(x, y) && ++wrong <= 3) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " instead of " << picture.Bgra(x, y);
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryColourTypeAndDepth, PngDecoderForms, ::testing::ValuesIn(EveryForm()), FormName);

// A PNG put together by hand, for what libpng refuses to write.
Bytes HandMade(std::uint32_t width, std::uint32_t height, int colorType, const Bytes& rows,
               const std::vector<Bytes>& extraChunks = {}) {
  Bytes header;
  for (const std::uint32_t value : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<std::uint8_t>(value >> shift));
  header.insert(header.end(), {8, static_cast<std::uint8_t>(colorType), 0, 0, 0});
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const auto append = [&png](const Bytes& part) { png.insert(png.end(), part.begin(), part.end()); };
  append(PngChunk("IHDR", header));
  for (const Bytes& chunk : extraChunks) append(chunk);
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  Bytes packed(packedSize);
  compress(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()));
  packed.resize(packedSize);
  append(PngChunk("IDAT", packed));
  append(PngChunk("IEND", {}));
  return png;
}

Bytes Cut(Bytes bytes, std::size_t keep) {
  bytes.resize(keep);
  return bytes;
}

Bytes Flipped(Bytes bytes, std::size_t at) {
  bytes.at(at) ^= 0x5A;
  return bytes;
}

Bytes InsertedAfterHeader(Bytes bytes, const Bytes& chunk) {
  bytes.insert(bytes.begin() + 33, chunk.begin(), chunk.end());  // signature 8 + IHDR 25
  return bytes;
}

// 17 MB of text that zlib packs into a few kilobytes.
Bytes TextBomb() {
  const Bytes text(17u << 20, 'a');
  uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
  Bytes chunk{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
  Bytes packed(packedSize);
  compress(packed.data(), &packedSize, text.data(), static_cast<uLong>(text.size()));
  chunk.insert(chunk.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
  return PngChunk("zTXt", chunk);
}

TEST(PngDamage, DecodesWhatIsWholeAndRefusesTheRestWithoutReadingPastTheBlock) {
  const PngPicture picture = MakePicture({6, 8, false, false});
  const Bytes good = testing_support::EncodePng(picture);
  ASSERT_GT(good.size(), 100u);
  const std::size_t idatData = 33 + 8;  // libpng writes IDAT right after IHDR here
  const Bytes garbage(300, 0xEE);
  Bytes trailing = good;
  trailing.insert(trailing.end(), garbage.begin(), garbage.end());
  const Bytes badFilterRow{5, 1, 2, 3};  // filter types end at 4
  const Bytes lengthBeyondBlock{0x7F, 0xFF, 0xFF, 0x00, 't', 'E', 'X', 't', 'a', 'b'};

  const struct {
    const char* what;
    Bytes bytes;
    std::wstring error;  // empty: decodes to the picture
  } cases[] = {
      {"trailing bytes in a longer block", trailing, L""},
      {"IEND missing", Cut(good, good.size() - 12), L""},
      {"nothing", {}, kInvalid},
      {"signature alone", Cut(good, 8), kInvalid},
      {"cut in the header", Cut(good, 20), kInvalid},
      {"cut in the image data", Cut(good, good.size() - 30), kInvalid},
      {"a damaged image byte", Flipped(good, idatData + 20), kInvalid},
      {"a damaged header CRC", Flipped(good, 30), kInvalid},
      {"a damaged CRC of the last image data, read past by spng", Flipped(good, good.size() - 13), kInvalid},
      {"a damaged signature", Flipped(good, 1), kInvalid},
      {"a chunk longer than the block", InsertedAfterHeader(good, lengthBeyondBlock), kInvalid},
      {"compressed text of 17 MB", InsertedAfterHeader(good, TextBomb()), kInvalid},
      {"an unknown filter type", HandMade(3, 1, 0, badFilterRow), kInvalid},
      {"too little image data", HandMade(3, 2, 0, {0, 1, 2, 3}), kInvalid},
      {"a palette picture without palette", HandMade(3, 1, 3, {0, 0, 0, 0}), kInvalid},
      {"width 0", HandMade(0, 1, 0, {0}), kInvalid},
      {"100000 x 100000", HandMade(100000, 100000, 6, {0}), kTooLarge},
      {"a side beyond JPEG's", HandMade(clipboard::kMaxPngSide + 1, 1, 0, {0}), kTooLarge},
      {"width x height x 4 beyond 4 GB", HandMade(65500, 65500, 6, {0}), kTooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Decoded decoded = Decode(c.bytes);
    EXPECT_EQ(decoded.error, c.error);
    if (c.error.empty() && decoded.error.empty()) {
      ASSERT_EQ(decoded.pixels.size(), std::size_t{picture.width} * picture.height);
      EXPECT_EQ(decoded.pixels.front(), picture.Bgra(0, 0));
      EXPECT_EQ(decoded.pixels.back(), picture.Bgra(picture.width - 1, picture.height - 1));
    }
  }
}

TEST(PngDamage, OnlyAWholeFileWithEveryCrcRightMayBeSavedAsItCame) {
  const Bytes good = testing_support::EncodePng(MakePicture({6, 8, false, false}));
  Bytes text = InsertedAfterHeader(good, PngChunk("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'}));
  EXPECT_TRUE(clipboard::PngChunksSound(good));
  EXPECT_TRUE(clipboard::PngChunksSound(text));
  text[33 + 12 + 9 - 1] ^= 1;  // the text chunk's CRC: the picture still decodes
  EXPECT_TRUE(Decode(text).error.empty());
  EXPECT_FALSE(clipboard::PngChunksSound(text));
  Bytes trailing = good;
  trailing.push_back(0);
  EXPECT_FALSE(clipboard::PngChunksSound(trailing));
  EXPECT_FALSE(clipboard::PngChunksSound(Cut(good, good.size() - 12))) << "IEND missing";
  Bytes twoEnds = good;
  twoEnds.insert(twoEnds.end(), good.end() - 12, good.end());
  EXPECT_FALSE(clipboard::PngChunksSound(twoEnds));
}

TEST(PngDamage, TheMemoryLimitIsCheckedOnTheHeaderBeforeAnyPixelIsDecoded) {
  const std::uint32_t width = 16384;
  const auto rowsAtLimit = static_cast<std::uint32_t>(clipboard::kMaxPngPixelBytes / (std::uint64_t{width} * 4));
  const Bytes atLimit = HandMade(width, rowsAtLimit, 6, {0});
  const Bytes beyond = HandMade(width, rowsAtLimit + 1, 6, {0});
  GuardedBlock block(atLimit);
  const clipboard::PngDecoder png(block.Span());
  EXPECT_EQ(png.Height(), rowsAtLimit);
  EXPECT_EQ(Decode(beyond).error, kTooLarge);
  EXPECT_EQ(clipboard::PngLength(atLimit), atLimit.size());
}

}  // namespace
