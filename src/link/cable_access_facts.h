#pragma once
// What decides whether this user may open an adapter cable's device node: the
// node's owner, group, mode and access control list, the tags udev gave it,
// where Ostrel's udev rule is installed, and who the user is. Gathered from the
// system here (a simulated cable invents its own), judged by the cable doctor
// (cable_doctor.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

// One named entry of a node's access control list (ACL_USER or ACL_GROUP).
struct AclEntry {
    bool group = false; // false: a user entry
    std::uint32_t id = 0;
    std::string name;         // the user's or group's name; empty when it has none
    unsigned permissions = 0; // 4 read, 2 write, 1 execute
};

struct NodeFacts {
    std::string path;
    bool found = false; // the node exists (stat succeeded)
    std::uint32_t ownerId = 0;
    std::string owner; // the owner's name; empty when it has none
    std::uint32_t groupId = 0;
    std::string group;
    unsigned mode = 0;           // the permission bits (07777)
    bool acl = false;            // the node has an access control list
    unsigned aclMask = 07;       // its mask entry (07 without one)
    unsigned aclGroupObject = 0; // its entry of the owning group (the mode shows the mask then)
    std::vector<AclEntry> aclEntries;
    // The tags udev gave the node ("uaccess", …); nothing when udev keeps no
    // record of it (no udev database, as in a container).
    std::optional<std::vector<std::string>> udevTags;
};

// Where the rule file is looked for, in udev's order: a file in an earlier
// folder hides one of the same name in a later folder.
std::vector<std::string> UdevRuleFolders();

inline constexpr const char* kCableRuleName = "70-tarvix-cable.rules";

// The rule line that hands a cable's node to the user at the seat.
inline constexpr const char* kCableRuleLine =
    "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"0820\", "
    "ATTRS{idProduct}==\"0001\", TAG+=\"uaccess\"";

struct RuleFacts {
    std::vector<std::string> searched; // the folders looked in
    std::string path;                  // the rule file udev reads; empty: none
    bool masked = false;               // the file udev reads is empty or a link to /dev/null
    bool namesCable = false;           // the file names the cable's vendor id 0820
    bool plugdev = false;              // the system has the group plugdev (for a group rule)
};

struct UserFacts {
    std::uint32_t id = 0;
    std::string name;
    // The groups this process holds, and their names.
    std::vector<std::uint32_t> groupIds;
    std::vector<std::string> groups;
    // Groups the group database puts the user in that this session does not
    // hold yet: the user joined them after logging in.
    std::vector<std::string> joinedSinceLogin;
    // Set when these facts are not the process's own (a simulation shows a
    // user other than root, who may open any node).
    std::string standsFor;
};

struct CableAccessFacts {
    NodeFacts node;
    RuleFacts rule;
    std::optional<UserFacts> user; // set by a simulation only; else the process's user
};

// The facts of a device node, from the file system and udev's database.
NodeFacts SystemNodeFacts(const std::string& path);
// Where the cable's rule is installed, looking in the given folders (udev's by
// default).
RuleFacts SystemRuleFacts(const std::vector<std::string>& folders = UdevRuleFolders());
// The user this process runs as.
UserFacts CurrentUserFacts();
// The facts of a named account, as its next login would have them; nothing
// when there is no such account.
std::optional<UserFacts> AccountFacts(const std::string& name);

// Parse the value of the extended attribute system.posix_acl_access: the named
// entries, the mask and the owning group's entry.
// False when the value is no access control list.
struct ParsedAcl {
    std::vector<AclEntry> entries;
    unsigned mask = 07;
    unsigned groupObject = 0;
};
bool ParsePosixAcl(const std::uint8_t* data, std::size_t size, ParsedAcl& acl);

} // namespace ostrel
