// The WinNT:// provider: the local computer as a container whose children are its accounts, each
// of class "User" with its login name as name and its full name as "FullName"; no mail.
#pragma once

#include "ads/AdsApi.h"
#include "ads/AdsPath.h"

namespace ads {

// Binds "WinNT://." or "WinNT://<this host>"; any other name is an unknown computer.
HRESULT WinNtGetObject(const AdsPath& path, REFIID iid, void** object);

}  // namespace ads
