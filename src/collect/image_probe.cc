#include "collect/image_probe.h"

#include "base/files.h"
#include "base/picture_size.h"
#include "platform/wait_hook.h"
#include "web/shared_request.h"

namespace collect {
namespace {

// " × " in code page 936: the multiplication sign is the byte pair A1 C1.
const base::Text kTimesSign = " \xA1\xC1 ";

}  // namespace

base::Text TempImagePath() {
  return base::SpecialFolder(base::FolderKind::temporaryFiles) + "/JDtemp.jpg";
}

base::Text SizeText(const base::Text& contentLength) {
  const double kilobytes = static_cast<double>(base::TextToInt64(contentLength)) / 1024.0;
  return base::RealToText(base::RoundReal(kilobytes, 1)) + "KB";
}

base::Text ResolutionText(int width, int height) {
  return base::IntToText(width) + kTimesSign + base::IntToText(height) + " pixels";
}

void ProbeImageRow(ImageList& imageList, int rowIndex, const base::Text& imageAddress) {
  web::SendGet(imageAddress, web::ImageHeaders);
  if (platform::WaitsAbandoned()) return;  // the program is closing: touch nothing more
  imageList.SetCellText(rowIndex, 2, web::ReadResponseHeader("Content-Type"));
  imageList.SetCellText(rowIndex, 3, SizeText(web::ReadResponseHeader("Content-Length")));

  const base::Text path = TempImagePath();
  int width = 0;
  int height = 0;
  // Only a file this probe wrote is measured, never what an earlier row left there. The file
  // is scratch, rewritten for every row: waiting for the disk would only slow the listing.
  if (base::WriteFileBytes(path, web::ReadResponseBody(), base::Durability::unflushed)) {
    width = base::ImageWidth(path);
    height = base::ImageHeight(path);
  }
  imageList.SetCellText(rowIndex, 4, ResolutionText(width, height));
}

}  // namespace collect
