#pragma once
// Configuration and data-file access: every data file is opened through myFopen.
#include <cstdio>

// The configuration file and its section.
#define LM_INI_FILE "./kirune.ini"
#define LM_INI_SECTION "DOROVANKA"

// Reads a key of section DOROVANKA of ./kirune.ini.
int iniString(const char* key, const char* def, char* out, int size);
int iniInt(const char* key, int def);

// Opens `name` under the directory of file type `type` (0 SYSDIR, 1 PCMDIR,
// 2 ROOTDIR, 3 EVDIR, 4 FACEDIR), prefix and name joined as they stand.
// Null on failure; every call, successful or not, sets the load flag.
FILE* myFopen(int type, const char* name, const char* mode);

// Length of an open file; the position is left where it was.
long fsize(FILE* fp);

// Returns 1 when myFopen was called since the previous openCheck, else 0; clears the flag.
int openCheck();

// Test and tooling hooks.
// Makes iniInt return `value` for `key` whatever the INI file says (lmplayer
// --chart: SKIP and START); clearIniOverrides forgets them all.
void setIniOverride(const char* key, int value);
void clearIniOverrides();
// Forgets the directory table so the next myFopen reads the INI file again.
void fileUtilsReset();
// Called after every open attempt with the joined name and whether it opened.
using OpenObserver = void (*)(const char* joinedName, bool opened);
void setOpenObserver(OpenObserver observer);
