#include "collect/image_collection.h"

#include "collect/image_probe.h"
#include "collect/text_between.h"
#include "platform/wait_hook.h"
#include "regex/regex_object.h"
#include "web/shared_request.h"

namespace collect {

const base::Text kImagePattern = "\"img\":\"(.*?)\",\"name\":\"\",\"data\":\"";

base::Text ItemPrefix() { return "http://" + web::itemHost + "/"; }

base::Text PageAddress(const base::Text& itemNumber) {
  return "http://" + web::itemHost + "/bigimage.aspx?id=" + itemNumber;
}

void CollectImageList(Window& window) {
  regex::RegexObject imageFinder;
  const base::Text address = window.addressBox.AddressText();
  const base::Text itemNumber = TextBetween(address, ItemPrefix(), ".");
  const base::Text pageAddress = PageAddress(itemNumber);

  web::SendGet(pageAddress, web::PageHeaders);
  const base::Text pageText = base::BytesToText(web::ReadResponseBody());

  imageFinder.Create(kImagePattern, pageText);
  const int count = imageFinder.MatchCount();
  for (int i = 1; i <= count; ++i) {
    if (platform::WaitsAbandoned()) return;
    const base::Text path = imageFinder.SubMatchText(i, 1);
    const base::Text imageAddress = "http:" + base::ReplaceSubText(path, "/n5/", "/imgzone/");
    const int rowIndex = window.imageList.AppendRow(base::IntToText(i));
    window.imageList.SetCellText(rowIndex, 1, imageAddress);
    ProbeImageRow(window.imageList, rowIndex, imageAddress);
  }
  if (platform::WaitsAbandoned()) return;
  window.browserView.Navigate(window.imageList.GetCellText(0, 1));
}

void CollectButtonClicked(Window& window) {
  window.imageList.DeleteAllRows();
  CollectImageList(window);
}

}  // namespace collect
