#include "deploy/zip_reader.h"

// No minizip exists for the Windows builds.
const ZipReader* MinizipReader() { return nullptr; }
