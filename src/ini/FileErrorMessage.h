// What a window says when a file could not be read or written: in Russian, with the reason and,
// where there is one, the fix; the English text of the exception stays for the log.
#pragma once

#include <string>

// "Не удалось записать файл /x/current.ini: на диске нет места. Освободите место …"; osError is
// the errno of the call that failed, 0 when none is known.
std::string FileErrorMessage(const std::string& path, int osError, bool writing);
// The reason alone, as FileErrorMessage gives it after the colon.
std::string FileErrorReason(const std::string& path, int osError, bool writing);
