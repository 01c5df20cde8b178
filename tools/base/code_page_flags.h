// The flags MultiByteToWideChar accepts for a code page. Windows refuses any flag but 0 for UTF-8,
// GB18030, UTF-7, Symbol and the ISO-2022 / ISCII families (ERROR_INVALID_FLAGS, and every text
// would come out empty); Wine accepts them all, so only a test of this choice can see it.
#pragma once

constexpr unsigned long PRECOMPOSED_FLAG = 1;  // MB_PRECOMPOSED: what the program passes for its OEM code page

// PRECOMPOSED_FLAG, or 0 for the code pages that allow no such flag.
unsigned long MultiByteFlagsFor(int codePage);
