/* The programs' version, shared by the code and the Windows resources (so
   plain preprocessor definitions only). scripts/release names its zips
   after LAUNCHER_VERSION_TEXT. */
#ifndef LAUNCHER_RESOURCES_VERSION_H
#define LAUNCHER_RESOURCES_VERSION_H

#define LAUNCHER_VERSION_MAJOR 1
#define LAUNCHER_VERSION_MINOR 0
#define LAUNCHER_VERSION_PATCH 0
#define LAUNCHER_VERSION_TEXT "1.0.0"
#define LAUNCHER_PRODUCT_NAME "Setup launcher"

#endif
