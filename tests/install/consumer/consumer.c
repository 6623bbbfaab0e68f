/* A program built against an installed veverave, as a user would build one:
 * it asks the driver for its module type and function table, and stores and
 * finds one record through the embedded engine's Btrieve call. Prints "ok"
 * and exits 0 when all of that works. */
#include <stdio.h>
#include <string.h>

#include "veverave/btrieve.h"
#include "veverave/driver.h"
#include "veverave/engine.h"

static void put16(unsigned char* p, unsigned v) {
  p[0] = (unsigned char)v;
  p[1] = (unsigned char)(v >> 8);
}

int main(int argc, char** argv) {
  VvDriverFuncTable* table = NULL;
  char prefix[8] = "";
  unsigned char create[BTR_FILEDEF_SIZE + BTR_KEYDEF_SIZE];
  unsigned char pos[BTR_POS_BLOCK_SIZE];
  unsigned char record[8] = {7, 0, 0, 0, 'a', 'b', 'c', 'd'};
  unsigned char found[8];
  unsigned char key[BTR_MAX_KEY_SIZE];
  uint32_t length;
  int16_t status;
  if (argc != 2) return 2;

  if (mvDLLGetModuleType() != VV_MODULE_TYPE_DATABASE_DRIVER) return 1;
  mvDLLGetFuncTable(&table, prefix);
  if (table == NULL || strcmp(table->szDriverName, VV_DRIVER_NAME) != 0 ||
      table->btrRecordFind == NULL) {
    return 1;
  }

  memset(create, 0, sizeof create);
  put16(create + BTR_FILEDEF_RECORD_LENGTH, sizeof record);
  put16(create + BTR_FILEDEF_PAGE_SIZE, 4096);
  create[BTR_FILEDEF_KEY_COUNT] = 1;
  put16(create + BTR_FILEDEF_SIZE + BTR_KEYDEF_POSITION, 1);
  put16(create + BTR_FILEDEF_SIZE + BTR_KEYDEF_LENGTH, 4);
  put16(create + BTR_FILEDEF_SIZE + BTR_KEYDEF_FLAGS, BTR_KEY_EXTENDED_TYPE);
  create[BTR_FILEDEF_SIZE + BTR_KEYDEF_TYPE] = BTR_TYPE_INTEGER;
  memset(pos, 0, sizeof pos);
  length = sizeof create;
  status = BTRCALL(BTR_CREATE, pos, create, &length, argv[1], (uint8_t)(strlen(argv[1]) + 1), 0);
  if (status == 0) {
    length = 0;
    status = BTRCALL(BTR_OPEN, pos, NULL, &length, argv[1], (uint8_t)(strlen(argv[1]) + 1), 0);
  }
  if (status == 0) {
    length = sizeof record;
    status = BTRCALL(BTR_INSERT, pos, record, &length, key, sizeof key, 0);
  }
  if (status == 0) {
    memcpy(key, record, 4);
    length = sizeof found;
    status = BTRCALL(BTR_GET_EQUAL, pos, found, &length, key, sizeof key, 0);
  }
  if (status != 0 || length != sizeof record || memcmp(found, record, sizeof record) != 0) {
    printf("Btrieve status %d\n", status);
    return 1;
  }
  length = 0;
  BTRCALL(BTR_CLOSE, pos, NULL, &length, NULL, 0, 0);
  puts("ok");
  return 0;
}
