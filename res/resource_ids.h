// Resource ids shared by the resource script and the program.
#pragma once

#define IDI_TREVANIL 1  // the icon group: program icon and window icon
