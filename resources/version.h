// The program's version: the one place it is written. The version resource
// and the release packaging (scripts/dist) both read it.
#pragma once

#define SONOTECA_VERSION_MAJOR 1
#define SONOTECA_VERSION_MINOR 0
#define SONOTECA_VERSION_PATCH 0
