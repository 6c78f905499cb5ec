#include "link/cable_doctor.h"

#include <algorithm>
#include <cstdio>

namespace ostrel {
namespace {

constexpr unsigned kReadWrite = 06;

bool Gives(unsigned permissions) {
    return (permissions & kReadWrite) == kReadWrite;
}

bool Holds(const UserFacts& user, std::uint32_t group) {
    return std::find(user.groupIds.begin(), user.groupIds.end(), group) != user.groupIds.end();
}

bool JoinedSinceLogin(const UserFacts& user, const std::string& group) {
    return std::find(user.joinedSinceLogin.begin(), user.joinedSinceLogin.end(), group) !=
           user.joinedSinceLogin.end();
}

std::string Named(const std::string& name, std::uint32_t id) {
    return name.empty() ? std::to_string(id) : name;
}

std::string List(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

// The group (not root's) whose members the node lets read and write: its
// owning group, or a group named in its access control list. Empty: none.
std::string UsefulGroup(const NodeFacts& node) {
    const unsigned groupBits = node.acl ? node.aclGroupObject & node.aclMask : node.mode >> 3;
    if (Gives(groupBits) && node.groupId != 0)
        return Named(node.group, node.groupId);
    for (const AclEntry& entry : node.aclEntries)
        if (entry.group && entry.id != 0 && Gives(entry.permissions & node.aclMask))
            return Named(entry.name, entry.id);
    return {};
}

std::string NodeLine(const NodeFacts& node) {
    std::string line = "node:      " + node.path + ", owner " + Named(node.owner, node.ownerId) +
                       ", group " + Named(node.group, node.groupId) + ", mode " +
                       ModeText(node.mode);
    if (node.acl) {
        std::vector<std::string> entries;
        for (const AclEntry& entry : node.aclEntries) {
            const unsigned p = entry.permissions & node.aclMask;
            entries.push_back(std::string(entry.group ? "group " : "user ") +
                              Named(entry.name, entry.id) + " " + (p & 4 ? "r" : "-") +
                              (p & 2 ? "w" : "-"));
        }
        line += entries.empty() ? ", an access control list without named entries"
                                : ", access control list: " + List(entries, ", ");
    }
    if (node.udevTags)
        line +=
            node.udevTags->empty() ? ", no udev tags" : ", udev tags " + List(*node.udevTags, ", ");
    return line;
}

std::string UserLine(const UserFacts& user) {
    std::string line = "user:      " + Named(user.name, user.id) + " (uid " +
                       std::to_string(user.id) + "), groups " + List(user.groups, ", ");
    if (!user.joinedSinceLogin.empty())
        line += "; joined since logging in: " + List(user.joinedSinceLogin, ", ");
    if (!user.standsFor.empty())
        line += " (" + user.standsFor + ")";
    return line;
}

std::string RuleLine(const RuleFacts& rule) {
    if (rule.path.empty())
        return "udev rule: not installed (looked for " + std::string(kCableRuleName) + " in " +
               List(rule.searched, ", ") + ")";
    if (rule.masked)
        return "udev rule: " + rule.path + " hides the rule (it is empty or leads to /dev/null)";
    return "udev rule: installed at " + rule.path +
           (rule.namesCable ? "" : ", but it does not name the cable (vendor id 0820)");
}

const char* kReload = "sudo udevadm control --reload-rules";
const char* kTrigger = "sudo udevadm trigger --subsystem-match=hidraw";

std::string Quoted(const std::string& rule) {
    return "'" + rule + "'"; // the rule lines hold no single quote
}

void InstallRule(CableDiagnosis& d, const RuleFacts& rule) {
    const std::string target = std::string("/etc/udev/rules.d/") + kCableRuleName;
    // A link to /dev/null would swallow what tee writes through it.
    if (rule.masked)
        d.commands.push_back("sudo rm -f " + rule.path);
    d.commands.push_back("echo " + Quoted(kCableRuleLine) + " | sudo tee " + target);
    d.commands.push_back(kReload);
    d.commands.push_back(kTrigger);
}

// A rule that gives the node to a group, for a user who is not at the seat.
void GroupRule(CableDiagnosis& d, const RuleFacts& rule, const UserFacts& user) {
    const std::string group = rule.plugdev ? "plugdev" : "tarvix";
    if (!rule.plugdev)
        d.commands.push_back("sudo groupadd --system " + group);
    const std::string line = "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", "
                             "ATTRS{idVendor}==\"0820\", ATTRS{idProduct}==\"0001\", "
                             "MODE=\"0660\", GROUP=\"" +
                             group + "\"";
    d.commands.push_back("echo " + Quoted(line) +
                         " | sudo tee /etc/udev/rules.d/71-tarvix-cable-group.rules");
    const bool member =
        std::find(user.groups.begin(), user.groups.end(), group) != user.groups.end();
    if (!member)
        d.commands.push_back("sudo usermod -aG " + group + " " + Named(user.name, user.id));
    d.commands.push_back(kReload);
    d.commands.push_back(kTrigger);
    d.afterwards = member ? "Then run ostrel-cli info again."
                          : "Then log out and in again (the group counts from the next login) and "
                            "run ostrel-cli info again.";
}

} // namespace

std::string ModeText(unsigned mode) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", mode & 07777);
    std::string bits;
    for (int shift = 6; shift >= 0; shift -= 3) {
        bits += (mode >> shift) & 4 ? 'r' : '-';
        bits += (mode >> shift) & 2 ? 'w' : '-';
        bits += (mode >> shift) & 1 ? 'x' : '-';
    }
    return std::string(octal) + " (" + bits + ")";
}

bool PermitsReadWrite(const NodeFacts& node, const UserFacts& user) {
    if (user.id == 0)
        return true;
    if (user.id == node.ownerId)
        return Gives(node.mode >> 6);
    for (const AclEntry& entry : node.aclEntries)
        if (!entry.group && entry.id == user.id)
            return Gives(entry.permissions & node.aclMask);
    // Every group entry that matches counts; when one matches, "others" does not.
    bool inGroup = false;
    const unsigned owningGroup = node.acl ? node.aclGroupObject & node.aclMask : node.mode >> 3;
    if (Holds(user, node.groupId)) {
        inGroup = true;
        if (Gives(owningGroup))
            return true;
    }
    for (const AclEntry& entry : node.aclEntries)
        if (entry.group && Holds(user, entry.id)) {
            inGroup = true;
            if (Gives(entry.permissions & node.aclMask))
                return true;
        }
    return !inGroup && Gives(node.mode);
}

CableDiagnosis DiagnoseCableAccess(const CableAccessFacts& facts, const UserFacts& user) {
    const NodeFacts& node = facts.node;
    const RuleFacts& rule = facts.rule;
    CableDiagnosis d;
    if (!node.found) {
        d.cause = CableAccessCause::NodeGone;
        d.facts.push_back("node:      " + node.path + " is gone");
        d.why = "The cable went away while it was looked at.";
        d.afterwards = "Plug the cable in again and run ostrel-cli info again.";
        return d;
    }
    d.facts = {NodeLine(node), UserLine(user), RuleLine(rule)};
    const std::string who = Named(user.name, user.id);
    const bool ruleMissing = rule.path.empty() || rule.masked || !rule.namesCable;
    const std::string group = UsefulGroup(node);

    if (PermitsReadWrite(node, user)) {
        d.cause = CableAccessCause::Permitted;
        d.why = "By its owner, group, mode and access control list " + who +
                " may read and write the node, yet opening it was refused: a security module "
                "(AppArmor, SELinux) or a sandbox (a container, a Flatpak or Snap package) keeps "
                "the device from this program.";
        d.afterwards = "Allow the device in that security module or sandbox.";
        return d;
    }
    if (!group.empty() && JoinedSinceLogin(user, group)) {
        d.cause = CableAccessCause::GroupNotHeldYet;
        d.why = "The members of group " + group + " may read and write the node. " + who +
                " joined it after logging in, and a session holds the groups of its login.";
        d.commands.push_back("newgrp " + group);
        d.afterwards = "newgrp starts a shell that holds the group; run ostrel-cli info there, or "
                       "log out and in again.";
        return d;
    }
    if (!group.empty()) {
        d.cause = CableAccessCause::NotInGroup;
        d.why = "The members of group " + group + " may read and write the node, and " + who +
                " is not one of them.";
        d.commands.push_back("sudo usermod -aG " + group + " " + who);
        d.afterwards = "Then log out and in again (the group counts from the next login) and run "
                       "ostrel-cli info again.";
        return d;
    }
    const std::string owner = Named(node.owner, node.ownerId);
    const std::string onlyOwner = "Only its owner " + owner +
                                  " may read and write the node, and no "
                                  "access control list gives " +
                                  who + " a share.";
    if (!node.udevTags) {
        d.cause = CableAccessCause::NoUdev;
        d.why = onlyOwner + " This system runs no udev (there is no /run/udev, as in a "
                            "container), so no rule can hand the node over; whoever made the node "
                            "set its rights.";
        d.commands.push_back("sudo setfacl -m u:" + who + ":rw " + node.path);
        d.afterwards = "This lasts until the cable is plugged in again; where the node comes from "
                       "a container's settings, give the device to the container's user there.";
        return d;
    }
    const bool tagged =
        std::find(node.udevTags->begin(), node.udevTags->end(), "uaccess") != node.udevTags->end();
    if (ruleMissing && !tagged) {
        d.cause = CableAccessCause::RuleMissing;
        d.why = onlyOwner +
                " Ostrel's udev rule hands the node to the user at the seat; without "
                "it the node stays " +
                owner + "'s.";
        InstallRule(d, rule);
        d.afterwards = "Then run ostrel-cli info again (if the cable still does not open, plug it "
                       "in again).";
        return d;
    }
    if (!tagged) {
        d.cause = CableAccessCause::RuleNotApplied;
        d.why = onlyOwner + " The rule is installed, but the node has not been through it: the "
                            "cable was plugged in before the rule was installed, or udev has not "
                            "read the rule yet.";
        d.commands = {kReload, kTrigger};
        d.afterwards = "Then run ostrel-cli info again (or plug the cable in again).";
        return d;
    }
    d.cause = CableAccessCause::NotAtSeat;
    d.why = onlyOwner +
            " The udev rule gives the node to the user of the active session at the "
            "seat, and " +
            who +
            " is not that user (logged in over SSH, or another user's session is in front). A "
            "rule that gives the node to a group serves users who are not at the seat.";
    GroupRule(d, rule, user);
    return d;
}

std::vector<std::string> DiagnosisLines(const CableDiagnosis& diagnosis) {
    std::vector<std::string> lines;
    for (const std::string& fact : diagnosis.facts)
        lines.push_back("  " + fact);
    lines.push_back("Why: " + diagnosis.why);
    if (!diagnosis.commands.empty()) {
        lines.push_back("To open it, run:");
        for (const std::string& command : diagnosis.commands)
            lines.push_back("  " + command);
    }
    if (!diagnosis.afterwards.empty())
        lines.push_back(diagnosis.afterwards);
    return lines;
}

} // namespace ostrel
