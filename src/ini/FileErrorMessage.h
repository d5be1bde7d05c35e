// TEMPORARY until the ini error texts land.
#pragma once
#include <cstring>
#include <string>
inline std::string FileErrorMessage(const std::string& path, int osError, bool writing) {
    return std::string(writing ? "Не удалось записать файл " : "Не удалось прочитать файл ") +
           path + ": " + std::strerror(osError);
}
