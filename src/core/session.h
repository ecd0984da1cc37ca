// What a start of the library is about: the root and user the host named, the
// per-user folder made from them, and the file system the files go through.
// The module owns it from Nuntio_Init on and hands it down.
#pragma once

#include <string>

#include "file_io.h"

namespace nuntio {

struct Session {
    std::string root;   // the host's root, a full path without a trailing backslash
    std::string user;   // one folder name
    std::string folder; // root + "\User\" + user + "\Nuntio\"
    IFileSystem* fs = nullptr;
};

} // namespace nuntio
