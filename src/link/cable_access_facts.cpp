#include "link/cable_access_facts.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ostrel {
namespace {

// Tags of the extended attribute's entries (the kernel's posix_acl_xattr).
constexpr std::uint16_t kAclUser = 0x02;
constexpr std::uint16_t kAclGroupObject = 0x04;
constexpr std::uint16_t kAclGroup = 0x08;
constexpr std::uint16_t kAclMask = 0x10;
constexpr std::uint32_t kAclVersion = 2;

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::string UserName(std::uint32_t id) {
    std::vector<char> buffer(16384);
    passwd entry{}, *found = nullptr;
    if (::getpwuid_r(id, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return found->pw_name;
}

std::string GroupName(std::uint32_t id) {
    std::vector<char> buffer(16384);
    group entry{}, *found = nullptr;
    if (::getgrgid_r(id, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return found->gr_name;
}

std::optional<std::vector<std::string>> UdevTags(dev_t device) {
    if (::access("/run/udev/data", F_OK) != 0)
        return std::nullopt;
    std::vector<std::string> tags;
    std::ifstream in("/run/udev/data/c" + std::to_string(major(device)) + ":" +
                     std::to_string(minor(device)));
    for (std::string line; std::getline(in, line);)
        if (line.size() > 2 && (line[0] == 'G' || line[0] == 'Q') && line[1] == ':' &&
            std::find(tags.begin(), tags.end(), line.substr(2)) == tags.end())
            tags.push_back(line.substr(2));
    return tags;
}

// The groups the group database gives an account whose primary group is gid.
std::vector<std::uint32_t> DatabaseGroups(const std::string& name, gid_t gid) {
    int count = 64;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        int n = count;
        if (::getgrouplist(name.c_str(), gid, groups.data(), &n) >= 0) {
            groups.resize(static_cast<std::size_t>(n));
            return {groups.begin(), groups.end()};
        }
        count = std::max(n, count * 2); // n holds the number needed
    }
    return {};
}

void NameGroups(UserFacts& user) {
    user.groups.clear();
    for (std::uint32_t id : user.groupIds) {
        const std::string name = GroupName(id);
        user.groups.push_back(name.empty() ? std::to_string(id) : name);
    }
}

} // namespace

std::vector<std::string> UdevRuleFolders() {
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
            "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

bool ParsePosixAcl(const std::uint8_t* data, std::size_t size, ParsedAcl& acl) {
    acl = ParsedAcl{};
    if (size < 4 || (size - 4) % 8 != 0 || Le32(data) != kAclVersion)
        return false;
    for (std::size_t at = 4; at < size; at += 8) {
        const auto tag = static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
        const unsigned permissions = static_cast<unsigned>(data[at + 2] | data[at + 3] << 8) & 07;
        const std::uint32_t id = Le32(data + at + 4);
        if (tag == kAclMask)
            acl.mask = permissions;
        else if (tag == kAclGroupObject)
            acl.groupObject = permissions;
        else if (tag == kAclUser || tag == kAclGroup)
            acl.entries.push_back({tag == kAclGroup, id, {}, permissions});
    }
    return true;
}

NodeFacts SystemNodeFacts(const std::string& path) {
    NodeFacts facts;
    facts.path = path;
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0)
        return facts;
    facts.found = true;
    facts.ownerId = node.st_uid;
    facts.owner = UserName(node.st_uid);
    facts.groupId = node.st_gid;
    facts.group = GroupName(node.st_gid);
    facts.mode = node.st_mode & 07777;
    std::uint8_t value[1024];
    const ssize_t n = ::getxattr(path.c_str(), "system.posix_acl_access", value, sizeof value);
    ParsedAcl acl;
    if (n > 0 && ParsePosixAcl(value, static_cast<std::size_t>(n), acl)) {
        facts.acl = true;
        facts.aclMask = acl.mask;
        facts.aclGroupObject = acl.groupObject;
        facts.aclEntries = std::move(acl.entries);
        for (AclEntry& entry : facts.aclEntries)
            entry.name = entry.group ? GroupName(entry.id) : UserName(entry.id);
    }
    if (S_ISCHR(node.st_mode))
        facts.udevTags = UdevTags(node.st_rdev);
    return facts;
}

RuleFacts SystemRuleFacts(const std::vector<std::string>& folders) {
    RuleFacts facts;
    facts.searched = folders;
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + kCableRuleName;
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0)
            continue;
        facts.path = path;
        char target[64] = {};
        if (S_ISLNK(link.st_mode) && ::readlink(path.c_str(), target, sizeof target - 1) > 0 &&
            std::string(target) == "/dev/null") {
            facts.masked = true;
            break;
        }
        std::ifstream in(path);
        const std::string text{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        facts.masked = text.find_first_not_of(" \t\r\n") == std::string::npos;
        facts.namesCable = text.find("0820") != std::string::npos;
        break; // this one hides those of the same name further down
    }
    std::vector<char> buffer(16384);
    group entry{}, *found = nullptr;
    facts.plugdev =
        ::getgrnam_r("plugdev", &entry, buffer.data(), buffer.size(), &found) == 0 && found;
    return facts;
}

UserFacts CurrentUserFacts() {
    UserFacts user;
    user.id = ::getuid();
    user.name = UserName(user.id);
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> held(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0 && ::getgroups(count, held.data()) == count)
        user.groupIds.assign(held.begin(), held.end());
    const std::uint32_t primary = ::getgid();
    if (std::find(user.groupIds.begin(), user.groupIds.end(), primary) == user.groupIds.end())
        user.groupIds.insert(user.groupIds.begin(), primary);
    NameGroups(user);
    if (!user.name.empty())
        for (std::uint32_t id : DatabaseGroups(user.name, primary))
            if (std::find(user.groupIds.begin(), user.groupIds.end(), id) == user.groupIds.end())
                user.joinedSinceLogin.push_back(GroupName(id));
    return user;
}

std::optional<UserFacts> AccountFacts(const std::string& name) {
    std::vector<char> buffer(16384);
    passwd entry{}, *found = nullptr;
    if (::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::nullopt;
    UserFacts user;
    user.id = found->pw_uid;
    user.name = found->pw_name;
    user.groupIds = DatabaseGroups(user.name, found->pw_gid);
    if (user.groupIds.empty())
        user.groupIds.push_back(found->pw_gid);
    NameGroups(user);
    return user;
}

} // namespace ostrel
