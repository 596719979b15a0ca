#include "platform/linux/host_name.h"

#include "platform/linux/host_files.h"

#include <climits>
#include <exception>
#include <string_view>
#include <unistd.h>

namespace platform {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// machine-info is a shell-like assignment list, read the way systemd reads it: quotes only
// open a value, a backslash in double quotes escapes only " \ ` $ and newline, trailing
// blanks of unquoted text are dropped, and text after a NUL byte is not part of the file.
class AssignmentReader {
public:
    explicit AssignmentReader(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

    // The last value assigned to `wanted`, if any.
    std::optional<std::string> lastValueOf(std::string_view wanted)
    {
        std::optional<std::string> found;
        while (skipToKey()) {
            const std::string key = readKey();
            if (!atEnd() && peek() == '=') {
                ++position_;
                std::string value = readValue();
                if (key == wanted)
                    found = std::move(value);
            }
        }
        return found;
    }

private:
    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return text_[position_]; }

    // Moves past blank lines and comments to the next key; false at the end of the text.
    bool skipToKey()
    {
        while (!atEnd()) {
            const char c = peek();
            if (c == '#' || c == ';')
                skipComment();
            else if (isBlank(c))
                ++position_;
            else
                return true;
        }
        return false;
    }

    // A comment ends at its line's end, even after a backslash.
    void skipComment()
    {
        while (!atEnd() && !isLineEnd(peek()))
            ++position_;
    }

    // Reads up to '=' or the line's end, without trailing blanks.
    std::string readKey()
    {
        std::string key;
        while (!atEnd() && peek() != '=' && !isLineEnd(peek()))
            key += text_[position_++];
        return std::string(trimmed(key));
    }

    std::string readValue()
    {
        std::string value;
        std::size_t keptLength = 0; // value's length without trailing unquoted blanks
        bool inUnquoted = false;
        while (!atEnd()) {
            const char c = text_[position_++];
            if (isLineEnd(c))
                break;
            if (!inUnquoted && (c == ' ' || c == '\t'))
                continue;
            if (!inUnquoted && c == '\'') {
                readSingleQuoted(value);
                keptLength = value.size();
            } else if (!inUnquoted && c == '"') {
                readDoubleQuoted(value);
                keptLength = value.size();
            } else if (c == '\\') {
                inUnquoted = true;
                if (!atEnd()) {
                    const char escaped = text_[position_++];
                    if (!isLineEnd(escaped))
                        value += escaped;
                }
                keptLength = value.size();
            } else {
                inUnquoted = true;
                value += c;
                if (c != ' ' && c != '\t')
                    keptLength = value.size();
            }
        }
        value.resize(keptLength);
        return value;
    }

    void readSingleQuoted(std::string& value)
    {
        while (!atEnd()) {
            const char c = text_[position_++];
            if (c == '\'')
                return;
            value += c;
        }
    }

    void readDoubleQuoted(std::string& value)
    {
        while (!atEnd()) {
            const char c = text_[position_++];
            if (c == '"')
                return;
            if (c != '\\') {
                value += c;
                continue;
            }
            if (atEnd())
                return;
            const char escaped = text_[position_++];
            if (escaped == '"' || escaped == '\\' || escaped == '`' || escaped == '$') {
                value += escaped;
            } else if (escaped != '\n') {
                // Like the shell, a backslash before any other character stays.
                value += '\\';
                value += escaped;
            }
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

std::optional<std::string> staticHostName(const std::filesystem::path& root)
{
    const auto contents = readHostFile(root / "etc/hostname");
    if (!contents)
        return std::nullopt;
    std::string_view rest = *contents;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (!isPrintableText(line))
            return std::nullopt;
        return std::string(line);
    }
    return std::nullopt;
}

std::optional<std::string> kernelHostName()
{
    char buffer[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return std::nullopt;
    const std::string_view name = trimmed(buffer);
    // "(none)" is the kernel's name before anyone set one.
    if (name.empty() || name == "(none)" || !isPrintableText(name))
        return std::nullopt;
    return std::string(name);
}

} // namespace

std::optional<std::string> readMachineInfo(const std::filesystem::path& root, std::string_view key)
{
    const auto contents = readHostFile(root / "etc/machine-info");
    if (!contents)
        return std::nullopt;
    auto value = AssignmentReader(*contents).lastValueOf(key);
    if (!value || value->empty() || !isPrintableText(*value))
        return std::nullopt;
    return value;
}

std::optional<std::string> readComputerName(const std::filesystem::path& root, bool askKernel)
{
    try {
        if (auto name = readMachineInfo(root, "PRETTY_HOSTNAME"))
            return name;
        if (auto name = staticHostName(root))
            return name;
        if (askKernel)
            return kernelHostName();
    } catch (const std::exception&) {
        // Only allocation can fail; a name we could not read is no name.
    }
    return std::nullopt;
}

} // namespace platform
