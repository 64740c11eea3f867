#include "deploy/zip_reader.h"

// No minizip exists for the Windows builds: they read with our own.
const ZipReader* MinizipReader() { return nullptr; }
const ZipReader* DefaultZipReader() { return OwnZipReader(); }
