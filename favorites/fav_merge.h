// Two copies of the program may have the same favourites file open. Each
// remembers the tree as it read it (the base); at saving, when the file has
// changed since, the copy's own changes against the base (favourites and
// folders added, renamed, marked, moved and deleted) are applied to the tree
// as the file holds it now, so that nothing the other copy wrote is lost.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fav_tree.h"

namespace vortexa {

// What tells one state of a file from another: its size, modification time
// and a hash of its bytes; a missing file has a stamp of its own.
struct TFileStamp {
  bool Exists = false;
  std::uintmax_t Size = 0;
  std::int64_t Time = 0;
  std::size_t Hash = 0;
  bool operator==(const TFileStamp&) const = default;
};

TFileStamp StampOf(const std::filesystem::path& file);

class TFavBase {
 public:
  // The tree `root` as read from a file of that stamp.
  TFavBase(const TFavNode& root, TFileStamp stamp);

  const TFileStamp& Stamp() const { return FStamp; }

  // Applies the changes from the base to `mine` onto `theirs`, a tree read
  // from the file as it is now. Where the two copies' changes meet, both are
  // kept; the result is a note for each such place.
  std::vector<TMergeNote> MergeInto(TFavNode& theirs, const TFavNode& mine) const;

 private:
  friend class TFavMerge;

  struct TEntry {
    std::uint64_t Parent = 0;    // 0: the root
    std::uint64_t Previous = 0;  // the sibling before; 0: none
    std::string Text;
    bool TourMark = false;
    bool Folder = false;
    std::string Signature;  // its place and content, to find it in another reading
  };

  std::vector<std::uint64_t> FOrder;  // pre-order
  std::map<std::uint64_t, TEntry> FEntries;
  TFileStamp FStamp;
};

}  // namespace vortexa
