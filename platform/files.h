#pragma once
// File-system rules shared by the whole program, one header per job:
//   carpetas.h    the program, temporary, data and scratch folders;
//   motivos.h     the system's errors in the user's words;
//   flujo.h       Flujo, the open file every writer fills and the loader reads;
//   temporales.h  the program's temporary names, made and locked;
//   restos.h      what killed saves and runs leave behind, and its cleanup;
//   copias.h      the copies in-place saves keep, and interrupted saves;
//   escritura.h   the one way every writer replaces a user's file;
//   cerrojo.h     the lock a save holds on the file it writes.

#include "platform/carpetas.h"
#include "platform/cerrojo.h"
#include "platform/copias.h"
#include "platform/escritura.h"
#include "platform/flujo.h"
#include "platform/motivos.h"
#include "platform/restos.h"
#include "platform/temporales.h"
