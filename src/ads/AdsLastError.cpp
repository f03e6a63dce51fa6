#include "ads/AdsLastError.h"

namespace ads {

namespace {
thread_local HRESULT lastCode = S_OK;
thread_local std::string lastText;
}  // namespace

HRESULT SetLastAdsError(HRESULT code, std::string text) {
  lastCode = code;
  lastText = std::move(text);
  return code;
}

void ClearLastAdsError() {
  lastCode = S_OK;
  lastText.clear();
}

HRESULT LastAdsErrorCode() { return lastCode; }

const std::string& LastAdsErrorText() { return lastText; }

}  // namespace ads
