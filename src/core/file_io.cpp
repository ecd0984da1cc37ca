// The platform-independent part of file I/O: the atomic write and the paths.
#include "file_io.h"

namespace nuntio {

std::string TempPathFor(const std::string& path) {
    return path + ".tmp";
}

bool WriteFileAtomic(IFileSystem& fs, const std::string& path, const void* data, size_t size) {
    const std::string temp = TempPathFor(path);
    if (!fs.WriteAll(temp, data, size) || !fs.ReplaceFile(temp, path)) {
        fs.RemoveFile(temp);
        return false;
    }
    return true;
}

std::string UserFolder(const std::string& root, const std::string& user) {
    return root + "\\User\\" + user + "\\Nuntio\\";
}

} // namespace nuntio
