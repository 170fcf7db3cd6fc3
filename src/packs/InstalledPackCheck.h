#pragma once

#include <string>

#include "packs/PackStore.h"

class TrustedKeys;

// True when <Tag> is installed whole and its manifest copy still carries a signature by one of
// `keys`. A pack whose install record does not vouch for its bytes (PackStore::isRecordedSound)
// has its hashes checked first, without network, and is recorded as checked when they match.
bool installedPackIsIntact(const PackStore& store, const TrustedKeys& keys, const std::string& tag);
