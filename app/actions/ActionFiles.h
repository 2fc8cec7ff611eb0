// The local side of an action: names derived from the path the user chose, and the file checks
// the actions need.
#pragma once

#include <string>

// The file's name without its folder (and drive): the name it has on the device.
std::string RemoteName(const std::string& path);
// The name as it goes to the device: its bytes in the system's code page, as the technicians'
// devices have always been given them (on Linux the UTF-8 bytes). A name with a character that
// code page cannot hold fails with a message naming it, before anything is sent: sent with a "?"
// in its place it would land on the device under another name.
std::string DeviceName(const std::string& name);
// The file's folder with its trailing separator; empty for a bare file name.
std::string FolderOf(const std::string& path);
// The name's extension from its last "." on, dot included; empty when the name has no ".".
std::string ExtensionOf(const std::string& path);

// The text with the letters A to Z in lower case; every other byte unchanged.
std::string LowerCase(std::string text);

// True for an existing file (a folder of that name does not count).
bool FileExists(const std::string& path);
// True when a file or a link stands at path, even a link that leads nowhere: writing there would
// replace something.
bool PathTaken(const std::string& path);
// The file at path, or else a file in the same folder whose name differs from path's only in
// letter case (the first in name order where there are several); empty when there is neither.
std::string FileIgnoringCase(const std::string& path);

// The text in double quotes, as the messages name files.
std::string Quoted(const std::string& text);
