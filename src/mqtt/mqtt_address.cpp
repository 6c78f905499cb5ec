#include "mqtt/mqtt_address.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace ostrel {
namespace {

std::optional<MqttAddress> Refuse(std::string* why, const std::string& reason) {
    if (why)
        *why = reason;
    return std::nullopt;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool PercentDecoded(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool ValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80         ? 1
                             : (lead >> 5) == 6  ? 2
                             : (lead >> 4) == 14 ? 3
                             : (lead >> 3) == 30 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

bool IsPublishTopic(const std::string& topic) {
    return !topic.empty() && topic.size() <= 65535 &&
           topic.find_first_of(std::string("+#\0", 3)) == std::string::npos && ValidUtf8(topic);
}

std::optional<MqttAddress> ParseMqttAddress(const std::string& url, std::string* why) {
    MqttAddress address;
    const auto scheme = url.find("://");
    std::string name = scheme == std::string::npos ? std::string() : url.substr(0, scheme);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name != "mqtt" && name != "mqtts")
        return Refuse(why, "it must begin with mqtt:// or mqtts://");
    address.tls = name == "mqtts";
    address.port = address.tls ? 8883 : 1883;
    std::string rest = url.substr(scheme + 3);
    const auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    const std::string path = slash == std::string::npos ? std::string() : rest.substr(slash + 1);

    if (const auto at = authority.rfind('@'); at != std::string::npos) {
        const std::string user = authority.substr(0, at);
        if (user.find(':') != std::string::npos)
            return Refuse(why, "a password does not belong on the command line; give "
                               "--mqtt-password-file instead");
        if (!PercentDecoded(user, address.user) || address.user.empty())
            return Refuse(why, "the user name before @ is empty or badly encoded");
        authority = authority.substr(at + 1);
    }
    std::string port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string::npos)
            return Refuse(why, "an IPv6 address needs its closing ]");
        address.host = authority.substr(1, close - 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return Refuse(why, "only :PORT may follow the host");
        port = after.empty() ? std::string() : after.substr(1);
        if (!after.empty() && port.empty())
            return Refuse(why, "the port after : is missing");
    } else {
        const auto colon = authority.find(':');
        address.host = authority.substr(0, colon);
        if (colon != std::string::npos) {
            port = authority.substr(colon + 1);
            if (port.empty())
                return Refuse(why, "the port after : is missing");
        }
    }
    if (address.host.empty())
        return Refuse(why, "the host is missing");
    if (address.host.find_first_of(" /?#%") != std::string::npos)
        return Refuse(why, "the host holds a character no host name has");
    if (!port.empty()) {
        int value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (error != std::errc() || end != port.data() + port.size() || value < 1 || value > 65535)
            return Refuse(why, "the port must be a number from 1 to 65535");
        address.port = value;
    }
    if (path.find('?') != std::string::npos)
        return Refuse(why, "an address with a query (?) is not taken");
    if (!PercentDecoded(path, address.topic))
        return Refuse(why, "the topic holds a % without two hexadecimal digits");
    if (!address.topic.empty() && !IsPublishTopic(address.topic))
        return Refuse(why, "a topic to publish to may not hold + or #, and must be UTF-8");
    return address;
}

} // namespace ostrel
