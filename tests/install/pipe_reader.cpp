// A reader that takes the first bytes written to a named pipe and goes away, so that the
// writer's later writes fail:
//   pipe_reader NAME COUNT OUTPUT    serves the pipe NAME, reads COUNT bytes from its one
//                                     client, closes it and writes the bytes to OUTPUT
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    HANDLE pipe =
        CreateNamedPipeA(argv[1], PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 3;
    if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 4;
    std::string received(std::atoi(argv[2]), '\0');
    DWORD got = 0;
    for (DWORD total = 0; total < received.size(); total += got)
        if (!ReadFile(pipe, received.data() + total, static_cast<DWORD>(received.size()) - total, &got, nullptr))
            return 5;
    CloseHandle(pipe);
    HANDLE output = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return 6;
    DWORD written = 0;
    const bool ok = WriteFile(output, received.data(), static_cast<DWORD>(received.size()), &written, nullptr) &&
                    written == received.size();
    CloseHandle(output);
    return ok ? 0 : 7;
}
