// Runs engine test scripts: one statement per line, an operation with its
// arguments, then "->" and the expected status and results.
//
//   # comment
//   create t.btr record=14 page=1024 seg=1:4:integer:mod seg=5:10:string:dup,mod
//   open p1 t.btr -> 0
//   insert p1 data=i4:1,s10:alpha -> 0
//   get_equal p1 key=1 kbuf=s10:alpha -> 0 data=i4:1,s10:alpha
//   @b get_first p1 -> 3
//
// Statements:
//   [@client] OP [POSBLOCK] [name=value ...] [-> STATUS [check=value ...]]
// A statement without "->" must answer 0. Clients are named (@a, @b; the
// default is the all-zero id); position blocks are named too (p1, p2).
//
// Operations: open, close, create, insert, update, delete, get_equal,
// get_next, get_previous, get_greater, get_ge, get_less, get_le, get_first,
// get_last, stat, begin, begin_concurrent, end, abort, get_position,
// get_direct, step_first, step_last, step_next, step_previous, version,
// unlock, reset, set_owner, clear_owner, create_index, drop_index, and
// "raw op=N" for any code. Also "option NAME VALUE", "write_file NAME TEXT" and
// "repeat VAR FROM TO" ... "end_repeat" ({VAR} is replaced in the lines).
//
// Arguments: key=N (key number / mode), mode=N (the same), bias=N (added to
// the operation), data=REC, len=N (data length in), kbuf=REC, klen=N, owner=TEXT,
// name=TEXT, keyname=TEXT, addr=$VAR (Get Direct, Unlock), nopb (null
// position block), nodata (null data buffer), record=N, page=N, fflags=LIST,
// seg=POS:LEN:TYPE:FLAGS[:null=HH][:num=N][:acs=N], acs=NAME (a collating
// sequence block: "upper" folds a-z, "reverse" reverses byte order).
//
// Records (REC) are comma-separated pieces: iN:V / uN:V (signed / unsigned
// little-endian of N bytes), sN:TEXT (blank-padded), zN:TEXT (NUL-padded),
// lN:TEXT (length byte, then NUL-padded), fN:V (float), rN:HH (N bytes HH),
// x:HEX, $VAR (a 4-byte address). In TEXT "~" stands for a blank.
//
// Checks: data=REC (exact bytes returned), len=N (data length out),
// kbuf=REC (key buffer starts with), addr=$VAR (Get Position: the address;
// captured on first use), pbaddr=$VAR|0 (position block bytes 41-44),
// records=, keys=, version=, reclen=, page=, fflags=, keynums=a,b, unique=a,b,
// acscount= (Stat), blocks=9.50N,9.50L (Version).
#ifndef VEVERAVE_TESTS_ENGINE_SCRIPT_RUNNER_H_
#define VEVERAVE_TESTS_ENGINE_SCRIPT_RUNNER_H_

#include <string>
#include <vector>

namespace vv::engine::testing {

// Runs a script text in a fresh engine and directory; returns one message
// per failed statement ("line N: ...").
std::vector<std::string> RunScript(const std::string& text);

}  // namespace vv::engine::testing

#endif  // VEVERAVE_TESTS_ENGINE_SCRIPT_RUNNER_H_
