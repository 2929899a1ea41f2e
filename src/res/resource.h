// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_QUELLARY 1
#define IDB_IMAGE1 101
