// Asks the platform whether it trusts the Authenticode signatures of files, as Windows does
// when it shows a downloaded program's publisher:
//   trust_probe [--root CERT.der] FILE...
// prints, for each FILE, one line "FILE 0xXXXXXXXX": WinVerifyTrust's result with
// WINTRUST_ACTION_GENERIC_VERIFY_V2 (0 trusted). With --root, CERT.der is added to the
// current user's trusted roots before the first check and removed after the last, so that a
// throwaway authority is trusted by this run only. Exit code 0 when every file could be
// asked about, 2 when the root could not be added or removed.
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int exit_root_failed = 2;

std::vector<BYTE> read_file_bytes(const char* path) {
    std::vector<BYTE> bytes;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return bytes;
    BYTE chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return bytes;
}

LONG verify_file(const char* path) {
    wchar_t wide_path[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide_path, MAX_PATH))
        return static_cast<LONG>(GetLastError());
    WINTRUST_FILE_INFO file_info = {};
    file_info.cbStruct = sizeof file_info;
    file_info.pcwszFilePath = wide_path;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    // A throwaway authority publishes no revocation lists.
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file_info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

// The current user's root store: the one a user's own choice of trust goes to.
HCERTSTORE open_root_store() {
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT");
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    HCERTSTORE roots = nullptr;
    PCCERT_CONTEXT root = nullptr;
    if (argc > 2 && !std::strcmp(argv[1], "--root")) {
        std::vector<BYTE> der = read_file_bytes(argv[2]);
        roots = der.empty() ? nullptr : open_root_store();
        // Written to the registry at once (commit), where the chain engine reads the roots from.
        if (!roots ||
            !CertAddEncodedCertificateToStore(roots, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                              CERT_STORE_ADD_NEW, &root) ||
            !CertControlStore(roots, 0, CERT_STORE_CTRL_COMMIT, nullptr)) {
            std::printf("could not add %s to the trusted roots: error 0x%08lX\n", argv[2], GetLastError());
            if (root)
                CertDeleteCertificateFromStore(root);
            if (roots)
                CertCloseStore(roots, 0);
            return exit_root_failed;
        }
        first = 3;
    }
    for (int i = first; i < argc; ++i)
        std::printf("%s 0x%08lX\n", argv[i], static_cast<unsigned long>(verify_file(argv[i])));
    if (!roots)
        return 0;
    // Deleting the context the store gave back removes the very certificate added (and
    // frees the context); the commit takes it out of the registry.
    bool removed = CertDeleteCertificateFromStore(root) && CertControlStore(roots, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    DWORD error = GetLastError();
    CertCloseStore(roots, 0);
    if (!removed) {
        std::printf("could not remove the root again: error 0x%08lX\n", error);
        return exit_root_failed;
    }
    return 0;
}
