// Server certificate checks done by OpenSSL itself, so that each of the three
// leniencies waives exactly its own kind of fault and nothing else: a name
// that does not match the host, a certificate out of its validity dates, an
// issuer that is not trusted.
#pragma once

#include "platform/InternetClient.h"

#include <memory>
#include <string>

namespace platform {

struct CertificatePolicy {
    bool ignoreName = false;
    bool ignoreDate = false;
    bool ignoreUnknownAuthority = false;
    bool trustSystemAuthorities = true;
    std::string trustedAuthorityFile;
    std::string host;

    // Connections are only reused between requests of the same key.
    int Key() const;
};

// Filled in by the check during a handshake: the first fault that was not waived.
struct CertificateVerdict {
    int refusedError = 0;
};

InternetError CertificateErrorOf(int verifyError);
std::string CertificateErrorText(int verifyError);

// Installs the policy on an OpenSSL context (void* to keep OpenSSL's types
// out of here); the context keeps its own copy and the verdict alive.
bool InstallCertificateCheck(
    void* sslContext, const CertificatePolicy& policy, std::shared_ptr<CertificateVerdict> verdict);

} // namespace platform
