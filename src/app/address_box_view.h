// The address box as the collecting code sees it.
#pragma once

#include <QLineEdit>

#include "collect/window_ports.h"

namespace app {

class AddressBoxView : public collect::AddressBox {
 public:
  explicit AddressBoxView(const QLineEdit* edit) : edit_(edit) {}
  // The box's current text as a Text.
  base::Text AddressText() const override;

 private:
  const QLineEdit* edit_;
};

}  // namespace app
