// Formatting and writing of bus trace lines.
#include "files/BusTrace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace qn {
namespace {

// "HH:MM:SS.mmm" in local time.
std::string TimeOfDay(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()) % 1000;
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", parts.tm_hour, parts.tm_min,
                  parts.tm_sec, static_cast<int>(ms.count()));
    return text;
}

std::string HexBytes(const uint8_t* data, size_t length) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(length * 3);
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) hex += ' ';
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 0xF];
    }
    return hex;
}

// Printable ASCII as is, everything else as '.'.
std::string PrintableText(const uint8_t* data, size_t length) {
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i)
        text += (data[i] >= 0x20 && data[i] < 0x7F) ? static_cast<char>(data[i]) : '.';
    return text;
}

} // namespace

void BusTrace::Enable(std::ostream& out) {
    std::lock_guard lock(mutex_);
    out_ = &out;
    enabled_ = true;
}

bool BusTrace::EnableFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (file_.is_open()) file_.close();
    file_.open(path, std::ios::app);
    if (!file_.is_open()) return false;
    out_ = &file_;
    enabled_ = true;
    return true;
}

bool BusTrace::EnableFromEnvironment() {
    const char* path = std::getenv(kBusTraceVariable);
    return path != nullptr && *path != '\0' && EnableFile(path);
}

void BusTrace::Disable() {
    std::lock_guard lock(mutex_);
    enabled_ = false;
    out_ = nullptr;
    if (file_.is_open()) file_.close();
}

void BusTrace::Transfer(BusDirection direction, std::string_view port, const uint8_t* data,
                        size_t length, bool text) {
    if (!enabled_) return;
    Write(FormatTransfer(std::chrono::system_clock::now(), direction, port, data, length, text));
}

void BusTrace::Note(std::string_view port, std::string_view event) {
    if (!enabled_) return;
    Write(FormatNote(std::chrono::system_clock::now(), port, event));
}

std::string BusTrace::FormatTransfer(std::chrono::system_clock::time_point when,
                                     BusDirection direction, std::string_view port,
                                     const uint8_t* data, size_t length, bool text) {
    std::string line = TimeOfDay(when) + (direction == BusDirection::Out ? " OUT " : " IN  ");
    line.append(port);
    line += ' ' + std::to_string(length) + " |";
    if (length > 0) line += ' ' + HexBytes(data, length);
    if (text) line += " | " + PrintableText(data, length);
    return line;
}

std::string BusTrace::FormatNote(std::chrono::system_clock::time_point when, std::string_view port,
                                 std::string_view event) {
    std::string line = TimeOfDay(when) + " --- ";
    line.append(port);
    line += ": ";
    line.append(event);
    return line;
}

void BusTrace::Write(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (out_ == nullptr) return;
    *out_ << line << '\n';
    out_->flush();
}

} // namespace qn
