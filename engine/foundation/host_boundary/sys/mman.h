#error "<sys/mman.h> is forbidden above platform/: use the Win32 API (see HACKING.md)"
