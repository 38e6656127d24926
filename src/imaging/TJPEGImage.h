#pragma once
// JPEG output through libjpeg: a writer object that compresses a bitmap into memory with the
// program-wide default settings, and the JPEG writer that puts the result into a file.
#include <memory>
#include <string>

#include "imaging/Streams.h"
#include "ui/Errors.h"
#include "ui/Graphics.h"
#include "ui/Picture.h"

namespace imaging {

// A fatal libjpeg error: "JPEG-Fehler #%d" with the library's message code.
class EJPEG : public ui::Exception {
 public:
  using Exception::Exception;
};

enum class TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum class TJPEGPixelFormat { jf24Bit, jf8Bit };
enum class TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };

// Only quality, grayscale and progressive encoding reach the encoder; the rest describe how a
// picture would be decoded for display.
struct TJPEGSettings {
  int compressionQuality = 90;
  bool grayscale = false;
  TJPEGPerformance performance = TJPEGPerformance::jpBestQuality;
  TJPEGPixelFormat pixelFormat = TJPEGPixelFormat::jf24Bit;
  bool progressiveDisplay = false;
  bool progressiveEncoding = false;
  TJPEGScale scale = TJPEGScale::jsFullSize;
  bool smoothing = true;
};

// The program-wide defaults every new writer object starts from. On a display of 8 or fewer
// bits per pixel the decoding pixel format starts as 8-bit.
TJPEGSettings& JPEGDefaults();

// Compresses the bitmap's pixels (top row first) into `sink` as a JFIF datastream. A section
// of 24 or 32 bits is read in place; any other form is converted a band of rows at a time, so
// the working copy is one band, never the whole picture. Raises EJPEG for a fatal library
// error, and passes on whatever the sink raises; either way the library's state is released.
void CompressBitmap(const ui::TBitmap& bitmap, const TJPEGSettings& settings, TStream& sink);

// The compressed form of one picture.
class TJPEGData {
 public:
  [[nodiscard]] TMemoryStream& Data() noexcept { return data_; }
  [[nodiscard]] const TMemoryStream& Data() const noexcept { return data_; }
  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }
  [[nodiscard]] bool Grayscale() const noexcept { return grayscale_; }

 private:
  friend class TJPEGImage;
  TMemoryStream data_;
  int width_ = 0;
  int height_ = 0;
  bool grayscale_ = false;
};

class TJPEGImage {
 public:
  TJPEGImage() : settings_(JPEGDefaults()) {}

  [[nodiscard]] const TJPEGSettings& Settings() const noexcept { return settings_; }
  void SetSettings(const TJPEGSettings& settings) { settings_ = settings; }

  // Takes the bitmap as the picture to compress; the pixels are shared, not copied, so the
  // bitmap must outlive this object. Any compressed data is dropped.
  void Assign(const ui::TBitmap& bitmap);
  // Compresses the picture into a new memory block; a picture without pixels leaves it empty.
  void Compress();
  // Writes the compressed data in one piece, compressing first when there is none.
  void SaveToStream(TStream& stream);

  // Null until compressed.
  [[nodiscard]] const TJPEGData* Data() const noexcept { return data_.get(); }

 private:
  TJPEGSettings settings_;
  const ui::TBitmap* bitmap_ = nullptr;
  std::unique_ptr<TJPEGData> data_;
};

// The JPEG writer: the JPEG file the holder's bitmap came with, as it came, when it decodes
// without a fault to a picture of the bitmap's size; else the holder's bitmap, or its metafile
// drawn into one, compressed and written to a new file of that name. The holder is only read.
// With nothing to write no file is created.
void WriteJpeg(const ui::TPicture& picture, const std::wstring& fileName);

}  // namespace imaging
