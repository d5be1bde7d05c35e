#include "ini/FileErrorMessage.h"

#include <cerrno>
#include <cstring>

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string Reason(const std::string& path, int osError, bool writing) {
    switch (osError) {
        case ENOENT:
            return writing ? "папки " + FolderOf(path) + " нет. Выберите существующую папку."
                           : "файла нет. Проверьте имя файла и папку.";
        case EACCES:
        case EPERM:
            return writing ? "нет прав на запись в папку " + FolderOf(path) +
                                 " или в сам файл. Сохраните в другую папку (например, в домашнюю) "
                                 "или попросите администратора дать права на запись."
                           : "нет прав на чтение файла. Попросите владельца дать права на чтение "
                             "или скопируйте файл в свою папку.";
        case ENOSPC:
            return "на диске нет места. Освободите место или сохраните на другой диск.";
        case EDQUOT:
            return "исчерпана дисковая квота пользователя. Удалите ненужные файлы или сохраните на "
                   "другой диск.";
        case EROFS:
            return "диск доступен только для чтения. Сохраните на другой диск.";
        case EISDIR:
            return "это папка, а не файл. Выберите файл.";
        case ENOTDIR:
            return "часть пути не является папкой. Проверьте путь.";
        case EIO:
            return "ошибка ввода-вывода: диск или флеш-накопитель отключён или неисправен. "
                   "Проверьте "
                   "его и повторите.";
        case ENAMETOOLONG:
            return "слишком длинное имя файла. Выберите имя короче.";
        case EFBIG:
            return "файл слишком большой для файла настроек.";
        case EMFILE:
        case ENFILE:
            return "в системе открыто слишком много файлов. Закройте другие программы и повторите.";
        case ETXTBSY:
        case EBUSY:
            return "файл занят другой программой. Закройте её и повторите.";
        default:
            return "системная ошибка " + std::to_string(osError) + " (" + std::strerror(osError) +
                   ").";
    }
}

}  // namespace

std::string FileErrorMessage(const std::string& path, int osError, bool writing) {
    std::string text =
        (writing ? "Не удалось записать файл " : "Не удалось прочитать файл ") + path;
    if (osError == 0) {
        return text + ".";
    }
    return text + ": " + Reason(path, osError, writing);
}

std::string FileErrorReason(const std::string& path, int osError, bool writing) {
    return Reason(path, osError, writing);
}
