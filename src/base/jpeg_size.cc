#include "base/jpeg_size.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers

#include <jpeglib.h>

#include "base/byte_reader.h"

namespace base {
namespace {

// "Decodes" for a JPEG: libjpeg reads the header, decompresses every scan and reaches the
// end-of-image marker without an error or a single warning (libjpeg reports truncated or
// corrupt entropy-coded data only as warnings). The output is scaled to 1/8 with the fast
// integer DCT, which still walks all the entropy-coded data but skips nearly all the
// arithmetic. Refused up front: more than kMaxPicturePixels pixels, more than kMaxScans scans
// (each progressive scan walks the whole picture again), and pictures whose decoder buffers
// would exceed kMaxDecoderMemory (whole-picture coefficient buffers of progressive files).

constexpr int kMaxScans = 100;
constexpr long kMaxDecoderMemory = 256L << 20;

struct ErrorManager {
  jpeg_error_mgr base;  // first member: libjpeg's pointer to it converts back
  std::jmp_buf jump;
};

struct Decoder {
  jpeg_decompress_struct info;
  ErrorManager error;
  jpeg_progress_mgr progress;
};

[[noreturn]] void JumpOut(j_common_ptr common) {
  std::longjmp(reinterpret_cast<ErrorManager*>(common->err)->jump, 1);
}

// Level -1 is a warning: corrupt or truncated data. Trace levels are ignored.
void OnMessage(j_common_ptr common, int level) {
  if (level < 0) JumpOut(common);
}

void OnOutputMessage(j_common_ptr) {}

void OnProgress(j_common_ptr common) {
  auto* info = reinterpret_cast<j_decompress_ptr>(common);
  if (info->input_scan_number > kMaxScans) JumpOut(common);
}

// The whole decode; false when libjpeg jumped out on an error, a warning or a limit.
// Keeps its state in `decoder` only, so nothing here is left indeterminate by longjmp.
bool Decode(Decoder& decoder, const unsigned char* data, std::size_t size, PictureSize& out) {
  if (setjmp(decoder.error.jump) != 0) return false;
  jpeg_decompress_struct& info = decoder.info;
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxDecoderMemory;
  decoder.progress.progress_monitor = OnProgress;
  info.progress = &decoder.progress;
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (!PictureSizeAllowed(info.image_width, info.image_height)) return false;

  info.scale_num = 1;
  info.scale_denom = 8;
  info.dct_method = JDCT_IFAST;
  info.do_fancy_upsampling = FALSE;
  info.do_block_smoothing = FALSE;
  // Grey output lets the library skip the colour components' transforms; their entropy-coded
  // data is still decoded.
  if (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_GRAYSCALE) {
    info.out_color_space = JCS_GRAYSCALE;
  }
  jpeg_start_decompress(&info);
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             info.output_width * info.output_components, 1);
  while (info.output_scanline < info.output_height) jpeg_read_scanlines(&info, row, 1);
  jpeg_finish_decompress(&info);
  out.width = static_cast<int>(info.image_width);
  out.height = static_cast<int>(info.image_height);
  return true;
}

}  // namespace

PictureSize JpegPictureSize(const unsigned char* data, std::size_t size) {
  Decoder decoder{};
  decoder.info.err = jpeg_std_error(&decoder.error.base);
  decoder.error.base.error_exit = JumpOut;
  decoder.error.base.emit_message = OnMessage;
  decoder.error.base.output_message = OnOutputMessage;
  PictureSize result;
  if (!Decode(decoder, data, size, result)) result = {};
  jpeg_destroy_decompress(&decoder.info);
  return result;
}

}  // namespace base
