#include "app/address_box_view.h"

#include "app/qt_text.h"

namespace app {

base::Text AddressBoxView::AddressText() const { return ToText(edit_->text()); }

}  // namespace app
