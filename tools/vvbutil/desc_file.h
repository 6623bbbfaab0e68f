// Description files: the text that describes a file to create or an index to
// add, as keyword=value elements separated by blanks, tabs or line breaks.
//
//   /* an optional comment (comments may stand between any elements) */
//   record=120 variable=n key=2 page=4096 replace=n
//   position=1 length=4 duplicates=n modifiable=n type=autoincrement segment=n
//   position=5 length=30 duplicates=y type=zstring caseinsensitive=y segment=y
//   position=35 length=4 duplicates=y type=date descending=y segment=n
//   name=upper.alt
//
// File elements come first (record and key are required; variable,
// truncate, compress, page (default 4096), allocation, replace, balance,
// dupkey, fthreshold are optional), then the segments. Each segment starts
// with position= and needs length=; its other elements (duplicates,
// modifiable, type, descending, alternate, caseinsensitive, repeatdup,
// nullkey=allsegs|anyseg|n, value=hex null byte, segment=y|n) may come in
// any order and default to n / string / 0. segment=y joins the next segment
// to the same key. An optional name=ACSFILE ends the file: the collating
// sequence of every alternate=y segment. Keywords and y/n values take any
// case; type names may be cut to a unique prefix ("type=flo"), and a
// two-word name may stand with its blank ("type=unsigned binary").
// An index description (for -sindex) has no file elements and one key.
#ifndef VEVERAVE_TOOLS_VVBUTIL_DESC_FILE_H_
#define VEVERAVE_TOOLS_VVBUTIL_DESC_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vvbutil/file_layout.h"

namespace vv::butil {

enum class DescKind { kCreate, kIndex };

struct Description {
  FileLayout file;              // kCreate only
  std::optional<bool> replace;  // replace= when given
  std::vector<SegmentLayout> segments;
  int key_count = 0;      // keys described
  std::string acs_file;   // name= when given
  bool uses_acs = false;  // some segment has alternate=y
};

// Parses text; false with *error ("line 3: unknown element 'recrod'") when
// the text is not a valid description of the kind.
bool ParseDescription(std::string_view text, DescKind kind, Description* out, std::string* error);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_DESC_FILE_H_
