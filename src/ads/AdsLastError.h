// The calling thread's last provider failure, for ADsGetLastError: a code and a text that names
// what failed (a server's answer, a missing file), never a password.
#pragma once

#include <string>

#include "ads/AdsApi.h"

namespace ads {

// Records the failure and returns its code, so that a provider can write
// "return SetLastAdsError(E_FAIL, "...")".
HRESULT SetLastAdsError(HRESULT code, std::string text);
void ClearLastAdsError();
HRESULT LastAdsErrorCode();
const std::string& LastAdsErrorText();

}  // namespace ads
