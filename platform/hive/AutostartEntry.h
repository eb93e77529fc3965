// The XDG autostart entry "Tidora.desktop" that holds the log-on value of the Run key.
// The entry starts the program given in the redirect and keeps the value's text in a
// key of its own; an entry without that key (one made by hand) reads as the program
// of its Exec line. Writes are atomic (a temporary file synced and renamed over the
// entry). Every call answers with a Windows result code.
#pragma once

#include "platform/Win32Types.h"
#include "platform/hive/AutostartRedirect.h"

#include <string>

namespace tidorax {

class AutostartEntry {
public:
    explicit AutostartEntry(AutostartRedirect redirect);

    // The text the value was last written with, with its terminating zero byte;
    // ERROR_FILE_NOT_FOUND when there is no entry or it names no program.
    LONG read(std::string& data) const;
    // Writes the entry for text (which holds no zero byte).
    LONG write(const std::string& text) const;
    LONG remove() const;

private:
    std::string path() const;

    AutostartRedirect redirect_;
};

} // namespace tidorax
