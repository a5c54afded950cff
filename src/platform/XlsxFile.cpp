// (filled in by the panel work)
#include "platform/XlsxFile.h"
