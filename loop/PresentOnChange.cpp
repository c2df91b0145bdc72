#include "loop/PresentOnChange.h"

#include <cstring>

#include "graphics/graphicDevice.h"
#include "platform/Presenter.h"

namespace loop {

namespace {

size_t storageBytes(const ZegDevice& zeg) {
  return zeg.storage() ? static_cast<size_t>(zeg.storageStride()) * static_cast<size_t>(zeg.height) : 0;
}

}  // namespace

bool PresentOnChange::ifChanged(ZegDevice& zeg) {
  const platform::Presenter* to = platform::currentPresenter();
  const size_t bytes = storageBytes(zeg);
  if (!to || !bytes) return false;
  if (to == to_ && last_.size() == bytes && std::memcmp(last_.data(), zeg.storage(), bytes) == 0) {
    ++skipped_;
    return false;
  }
  present(zeg, bytes);
  return true;
}

void PresentOnChange::always(ZegDevice& zeg) {
  const size_t bytes = storageBytes(zeg);
  if (!platform::currentPresenter() || !bytes) return;
  present(zeg, bytes);
}

void PresentOnChange::present(ZegDevice& zeg, size_t bytes) {
  last_.assign(zeg.storage(), zeg.storage() + bytes);
  to_ = platform::currentPresenter();
  ++presented_;
  zeg.draw();
}

}  // namespace loop
