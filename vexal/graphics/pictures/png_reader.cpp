// The PNG reader over libpng. libpng reports errors by a long jump back into the
// function that set it up; that function holds no C++ objects and keeps its state in a
// record owned by its caller, so nothing is lost or left undefined by the jump.
#include <png.h>

#include <cstdlib>
#include <cstring>

#include "vexal/graphics/pictures/image_loader_list.h"
#include "vexal/graphics/pictures/image_source.h"

namespace vexal {
namespace {

constexpr int kPngSignatureSize = 8;

// Everything a decode allocates, so the caller can free it whichever way it ends.
struct PngDecode {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ImageSource* source = nullptr;
  int wantDib = 0;
  uint8_t* block = nullptr;  // the picture's rows, malloc
  png_bytep* rows = nullptr;
  png_uint_32 width = 0, height = 0;
  size_t rowBytes = 0;
  int channels = 0;
};

// Reads through the reader's stream; fewer bytes than asked for end the decode.
void PngReadCallback(png_structp png, png_bytep buffer, size_t length) {
  auto* source = static_cast<ImageSource*>(png_get_io_ptr(png));
  if (!source->Read(buffer, length)) png_error(png, "Read Error");
}

// Decodes the picture into d.block. false for a libpng error or a picture out of range.
bool DecodePng(PngDecode& d) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  png_set_read_fn(d.png, d.source, PngReadCallback);
  png_set_user_limits(d.png, static_cast<png_uint_32>(kMaxImageSide), static_cast<png_uint_32>(kMaxImageSide));
  png_set_sig_bytes(d.png, kPngSignatureSize);
  png_read_info(d.png, d.info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  const bool trns = png_get_valid(d.png, d.info, PNG_INFO_tRNS) != 0;

  png_set_strip_16(d.png);
  if (d.wantDib == 1) png_set_strip_alpha(d.png);
  png_set_packing(d.png);
  png_set_packswap(d.png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_expand(d.png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth <= 8) png_set_expand(d.png);
  if (trns) png_set_expand(d.png);
  // Grey with transparency becomes colour, so it arrives as 32 bits with alpha like
  // every other transparent picture rather than as two bytes a pixel.
  if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA || (colorType == PNG_COLOR_TYPE_GRAY && trns)) png_set_gray_to_rgb(d.png);
  png_set_bgr(d.png);
  png_set_interlace_handling(d.png);
  png_read_update_info(d.png, d.info);

  d.channels = png_get_channels(d.png, d.info);
  d.rowBytes = png_get_rowbytes(d.png, d.info);
  if (png_get_bit_depth(d.png, d.info) != 8) return false;
  if (d.channels != 1 && d.channels != 3 && d.channels != 4) return false;
  if (d.rowBytes != static_cast<size_t>(width) * d.channels) return false;
  if (!ImageSizeAllowed(width, height, static_cast<int64_t>(d.rowBytes))) return false;
  d.width = width;
  d.height = height;

  d.block = static_cast<uint8_t*>(std::malloc(d.rowBytes * height));
  d.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
  if (d.block == nullptr || d.rows == nullptr) return false;
  for (png_uint_32 y = 0; y < height; ++y) d.rows[y] = d.block + y * d.rowBytes;
  png_read_image(d.png, d.rows);
  png_read_end(d.png, nullptr);
  return true;
}

}  // namespace

int LoadPngToDib(void* source, uint32_t size, int sourceKind, int wantDib, GraphImage* image, BitmapInfo** outInfo,
                 uint8_t** outBits) {
  ImageSource src(source, size, sourceKind);
  if (!src.ok()) return -1;
  // The signature is checked first, so the pictures of the other readers pass by
  // without a libpng error message.
  png_byte signature[kPngSignatureSize];
  if (!src.Read(signature, sizeof signature)) return -1;
  if (png_sig_cmp(signature, 0, sizeof signature) != 0) return -1;

  PngDecode d;
  d.source = &src;
  d.wantDib = wantDib;
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (d.png == nullptr) return -1;
  d.info = png_create_info_struct(d.png);
  if (d.info == nullptr) {
    png_destroy_read_struct(&d.png, nullptr, nullptr);
    return -1;
  }
  const bool decoded = DecodePng(d);
  png_destroy_read_struct(&d.png, &d.info, nullptr);
  std::free(d.rows);
  if (!decoded) {
    std::free(d.block);
    return -1;
  }

  GraphImage picture{};
  picture.Width = static_cast<int32_t>(d.width);
  picture.Height = static_cast<int32_t>(d.height);
  picture.Pitch = static_cast<int32_t>(d.rowBytes);
  picture.Pixels = d.block;
  if (d.channels == 1) {
    SetPixelFormat8(&picture.ColorFormat);
  } else if (d.channels == 4) {
    SetPixelFormat32Alpha(&picture.ColorFormat);
  } else {
    SetPixelFormat24(&picture.ColorFormat);
  }

  if (wantDib == 1) {
    auto* info = static_cast<BitmapInfo*>(std::malloc(sizeof(BitmapInfo)));
    if (info == nullptr) {
      std::free(d.block);
      return -1;
    }
    uint8_t* bits = nullptr;
    const int r = GraphImageToDib(&picture, info, &bits, 0);
    if (r < 0) {
      std::free(info);
      std::free(d.block);
      return -1;
    }
    if (r == 1) std::free(d.block);  // the bitmap has its own copy
    *outInfo = info;
    *outBits = bits;
    return 0;
  }
  *image = picture;
  return 0;
}

}  // namespace vexal
