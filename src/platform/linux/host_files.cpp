#include "platform/linux/host_files.h"

#include "platform/utf8.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

bool isTrimmable(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

std::optional<std::string> readHostFile(const std::filesystem::path& path, std::size_t maxSize)
{
    // O_NONBLOCK keeps a stray FIFO from stalling us; it changes nothing for regular files.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0)
        return std::nullopt;
    // procfs and sysfs report a size of 0 or 4096 whatever they hold, so read to the end. The
    // size is checked before each append, so a huge or endless file costs at most `maxSize`.
    std::string contents;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (count == 0)
            return contents;
        if (contents.size() + static_cast<std::size_t>(count) > maxSize)
            return std::nullopt;
        contents.append(buffer, static_cast<std::size_t>(count));
    }
}

std::optional<std::string> readFirstLine(const std::filesystem::path& path)
{
    const auto contents = readHostFile(path);
    if (!contents)
        return std::nullopt;
    const std::string_view text = *contents;
    return std::string(trimmed(text.substr(0, text.find('\n'))));
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isTrimmable(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmable(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> parseSysfsInteger(std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> readSysfsInteger(const std::filesystem::path& path)
{
    const auto contents = readHostFile(path);
    if (!contents)
        return std::nullopt;
    return parseSysfsInteger(*contents);
}

bool isPrintableText(std::string_view text)
{
    if (!isValidUtf8(text))
        return false;
    for (std::size_t offset = 0; offset < text.size();) {
        const auto [c, length] = codePointAt(text, offset);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029)
            return false;
        offset += length;
    }
    return true;
}

} // namespace platform
