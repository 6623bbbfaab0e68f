// Dictionary rows to and from their bytes, by the driver's layout of the
// three files: integers little-endian, names padded with blanks.
#ifndef VEVERAVE_TOOLS_DDF_ROW_CODEC_H_
#define VEVERAVE_TOOLS_DDF_ROW_CODEC_H_

#include <string>

#include "ddf/dictionary_builder.h"
#include "veverave/ddf_layout.h"

namespace vv::ddf {

std::string EncodeFileRow(const FileRow& row);
std::string EncodeFieldRow(const FieldRow& row);
std::string EncodeIndexRow(const IndexRow& row);

// Rows shorter than their layout read as if padded with zero bytes; names
// lose their trailing blanks.
FileRow DecodeFileRow(const std::string& bytes);
FieldRow DecodeFieldRow(const std::string& bytes);
IndexRow DecodeIndexRow(const std::string& bytes);

}  // namespace vv::ddf

#endif  // VEVERAVE_TOOLS_DDF_ROW_CODEC_H_
