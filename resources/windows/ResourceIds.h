#pragma once
// Identifiers of the desktop program's resources, shared by the resource script and the code.
#define MTR_ICON_MAIN 1
#define MTR_PICTURE_WRITE 101
#define MTR_PICTURE_INFORMATION 102
#define MTR_PICTURE_EMBLEM 103
