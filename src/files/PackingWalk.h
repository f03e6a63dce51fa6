// The walk that packs a folder tree: the folder itself (followed when it is a symbolic link), then
// everything below it, depth first in the order the file system lists it, each folder entry before
// its contents. Names beginning with "." are left out. A symbolic link inside the tree is packed as
// what it points to; a link back to one of its own ancestors (a loop) is left out, and so are
// links whose target is missing, devices, sockets and pipes, unreadable files and names that a
// zip entry cannot carry: each is reported with its reason. The walk holds only a bounded number
// of folders open, so a tree deeper than the open-file limit packs whole; when an entry can be
// neither packed nor reported (a name too long, descriptors exhausted, the tree changed under the
// walk) the walk fails: it never passes a partial tree off as whole.
#pragma once

#include <string>
#include <vector>

#include "files/ZipPacker.h"

namespace orn {

enum class LeftOutReason { kUnreadable, kLoop, kMissingTarget, kNotAFile, kBadName };

struct LeftOutEntry {
  std::string name;  // the entry name it would have had
  LeftOutReason reason;
};

// The German text of a reason, for the command line.
const char* LeftOutText(LeftOutReason reason);

// Packs the folder at path as the entry name and its tree below it. A missing folder still gets
// its entry (attributes 0xFFFFFFFF, date and time zero). False when the walk or the packer failed.
bool PackTree(CZipPacker& packer, const std::string& path, const std::string& name, std::vector<LeftOutEntry>& leftOut);

// Packs the file at path (followed when it is a link) as the entry name. A missing file is left
// out without a report; an unreadable one, or one that is no regular file, is reported. False only
// when the packer failed.
bool PackFile(CZipPacker& packer, const std::string& path, const std::string& name, std::vector<LeftOutEntry>& leftOut);

}  // namespace orn
