#include "collect/image_saving.h"

#include "base/files.h"
#include "platform/wait_hook.h"
#include "web/shared_request.h"

namespace collect {
namespace {

bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

}  // namespace

void SaveAllImages(Window& window) {
  ImageList& imageList = window.imageList;
  SaveDialog& dialog = window.saveDialog;
  if (imageList.RowCount() == 0) return;

  dialog.kind = DialogKind::save;
  dialog.initialFolder = base::SpecialFolder(base::FolderKind::desktop);
  // A cancel saves nothing, even when an earlier save left a name behind.
  if (!dialog.ShowFileDialog()) return;
  const base::Text saveName = dialog.fileName;
  if (saveName.empty()) return;

  const int rowCount = imageList.RowCount();
  for (int row = 0; row < rowCount; ++row) {
    if (platform::WaitsAbandoned()) return;
    const base::Text address = imageList.GetCellText(row, 1);
    web::SendGet(address, web::ImageHeaders);
    const base::Text target = saveName + imageList.GetCellText(row, 0) + ".jpg";
    if (!IsSuccessStatus(web::ReadResponseStatus())) continue;  // keep any earlier file
    base::WriteFileBytes(target, web::ReadResponseBody());
  }
}

}  // namespace collect
