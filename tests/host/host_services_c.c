/* A C program's view of the host services table: the slots are called
 * through the public header alone, as a driver written in C would. The
 * check returns 0, or the line of the first expectation that failed. */
#include <string.h>

#include "veverave/host_services.h"

int vv_host_services_c_check(const VvHostServices* s);

#define SLOT(s, Name) ((VvHost_##Name)(s)->slot[VV_HOST_SLOT_##Name])
#define CHECK(cond)               \
  do {                            \
    if (!(cond)) return __LINE__; \
  } while (0)

int vv_host_services_c_check(const VvHostServices* s) {
  VvBcd seven, factor, result;
  char text[64];
  char errorText[VV_HOST_ERROR_TEXT_SIZE];
  char keyword[VV_HOST_TEXT_LINE_SIZE];
  char value[VV_HOST_TEXT_LINE_SIZE];
  int16_t code = 0;
  int record = 0;

  CHECK(SLOT(s, ErrorClear)() == 0);

  /* BCD: 7 x 2.5 = 17.5, then back through divide and double. */
  CHECK(SLOT(s, IntToBcd)(7, &seven) == 0);
  CHECK(SLOT(s, TextToBcd)(" 2.5 ", &factor) == 0);
  CHECK(SLOT(s, BcdMultiply)(&seven, &factor, &result) == 0);
  CHECK(SLOT(s, BcdToText)(&result, text, 8, 2) == 0);
  CHECK(strcmp(text, "   17.50") == 0);
  CHECK(result.b[6] == 0x17 && result.b[7] == 0x50 && result.b[VV_BCD_SIGN_BYTE] == 0);
  CHECK(SLOT(s, BcdAdd)(&result, &result, &result) == 0);
  CHECK(SLOT(s, BcdToInt)(&result) == 35);
  CHECK(SLOT(s, BcdDivide)(&result, &seven, &result) == 0);
  CHECK(SLOT(s, BcdToDouble)(&result) == 5.0);
  CHECK(SLOT(s, DoubleToBcd)(-0.25, &result) == 0);
  CHECK(result.b[VV_BCD_SIGN_BYTE] == VV_BCD_SIGN_NEGATIVE && result.b[7] == 0x25);

  /* Error channel. */
  CHECK(SLOT(s, TextToBcd)("seven", &result) == VV_HOST_ERR_NOT_A_NUMBER);
  CHECK(SLOT(s, ErrorStatus)() == VV_HOST_ERR_NOT_A_NUMBER);
  CHECK(SLOT(s, PendingErrorFetch)(&code, errorText) == VV_HOST_ERR_NOT_A_NUMBER);
  CHECK(code == VV_HOST_ERR_NOT_A_NUMBER && strstr(errorText, "seven") != NULL);
  CHECK(SLOT(s, ErrorStatus)() == 0);
  CHECK(SLOT(s, ErrorReport)(25, NULL) == 25);
  CHECK(SLOT(s, ErrorTake)() == 25);
  CHECK(SLOT(s, ErrorRaise)(25) == 25);
  CHECK(SLOT(s, ErrorClear)() == 0 && SLOT(s, ErrorStatus)() == 0);

  /* Attributes, names, handles. */
  CHECK(SLOT(s, AttrSetNumeric)(0, 0, 0, VV_HOST_ATTR_LOCK_DELAY, 75) == 0);
  CHECK(SLOT(s, AttrGetNumeric)(0, 0, 0, VV_HOST_ATTR_LOCK_DELAY) == 75);
  CHECK(SLOT(s, AttrGetNumeric)(0, 0, 0, VV_HOST_ATTR_DECIMAL_SEPARATOR) == '.');
  CHECK(SLOT(s, AttrSetString)(0, 0, 0, VV_HOST_ATTR_DATA_PATH, "A;B") == 0);
  CHECK(SLOT(s, AttrGetString)(0, 0, 0, VV_HOST_ATTR_DATA_PATH, text, sizeof text) == 0);
  CHECK(strcmp(text, "A;B") == 0);
  CHECK(SLOT(s, NameCompare)(0, "Amount", "AMOUNT", 0) == VV_HOST_NAMES_EQUAL);
  CHECK(SLOT(s, FileHandleSet)(5, &record) == 0);
  CHECK(SLOT(s, FileFromHandle)(5) == &record);
  CHECK(SLOT(s, AttrGetNumeric)(0, 0, 0, VV_ATTR_FILE_NEXT_HANDLE) == 5);
  CHECK(SLOT(s, FileHandleFree)(5) == 0);
  CHECK(SLOT(s, FileFromHandle)(5) == NULL);

  /* Text files: nothing open for reading is a read failure. */
  CHECK(SLOT(s, TextRead)(keyword, value) == VV_TEXT_READ_FAILED);
  CHECK(SLOT(s, ErrorClear)() == 0);
  return 0;
}
