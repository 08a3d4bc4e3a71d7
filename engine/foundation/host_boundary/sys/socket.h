#error "<sys/socket.h> is forbidden above platform/: use the Win32 API (see HACKING.md)"
