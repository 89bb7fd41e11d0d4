// Matching of a text against a ";"-separated list (aliases, addresses), with
// optional groups from the server's group file.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

// Both sides are trimmed and lower-cased; an empty side never matches. When
// neither side holds ";" the two texts are compared whole; otherwise every
// item of `items` is compared with every item of `list`, and the first
// equal pair is a match.
bool ListMatch(std::string_view items, std::string_view list);

// The items of a list as the matching compares them: trimmed, lower-cased,
// empty items left out. A text without ";" is one item.
std::vector<std::string> ListItems(std::string_view list);

// An item (as ListItems gives it) that names a group: "[" first, "]" last
// and a letter second.
bool IsGroupItem(std::string_view item);

// Reads groups.dat ("groups.dat") or a member file by the name written in a
// member line; false when there is no such file. The reader decides what a
// relative name is relative to.
using GroupFileReader = std::function<bool(const std::string& name, std::string* content)>;

// ListMatch where an item of `list` that names a group also matches every
// `items` item that is a member of the group. groups.dat is read at each
// test: a line holding a group's name (any case) opens the group after the
// start of the file or an empty line; the lines up to the next empty line
// are its members:
//  - "[name]": the members of that group;
//  - a pattern with "*" and "?" (addresses, IP addresses), also "a.b.c.d/n"
//    for an IPv4 network; a pattern without "@" matches an address by its
//    local part as well as whole;
//  - any other line that names a readable file: the members listed in it,
//    one a line, in the same forms; a name that is no readable file is
//    compared as a pattern.
// Groups and files already being searched are not entered again, so groups
// that name each other end.
bool ListMatch(std::string_view items, std::string_view list, const GroupFileReader& groups);

// True when `item` (trimmed, any case) is a member of the group `name`.
bool IsGroupMember(std::string_view item, std::string_view name, const GroupFileReader& groups);

}  // namespace tarvelin
