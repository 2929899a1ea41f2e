// The program's version, shared by the resource script and the code.
#pragma once

#define QUELLARY_VERSION_MAJOR 3
#define QUELLARY_VERSION_MINOR 1
#define QUELLARY_VERSION_REVISION 0
#define QUELLARY_VERSION_BUILD 0
#define QUELLARY_VERSION_STRING "3.01"
