#include "platform/InternetCertificates.h"

#include <arpa/inet.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

namespace platform {

namespace {

struct InstalledCheck {
    CertificatePolicy policy;
    std::shared_ptr<CertificateVerdict> verdict;
};

void FreeInstalledCheck(void*, void* pointer, CRYPTO_EX_DATA*, int, long, void*)
{
    delete static_cast<InstalledCheck*>(pointer);
}

int CheckIndex()
{
    static const int index
        = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, FreeInstalledCheck);
    return index;
}

bool IsNameError(int error)
{
    return error == X509_V_ERR_HOSTNAME_MISMATCH || error == X509_V_ERR_IP_ADDRESS_MISMATCH;
}

bool IsDateError(int error)
{
    return error == X509_V_ERR_CERT_NOT_YET_VALID || error == X509_V_ERR_CERT_HAS_EXPIRED;
}

bool IsAuthorityError(int error)
{
    switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return true;
    default:
        return false;
    }
}

bool Waives(const CertificatePolicy& policy, int error)
{
    return (policy.ignoreName && IsNameError(error)) || (policy.ignoreDate && IsDateError(error))
        || (policy.ignoreUnknownAuthority && IsAuthorityError(error));
}

int VerifyCertificate(int preverified, X509_STORE_CTX* store)
{
    if (preverified)
        return 1;
    auto* ssl = static_cast<SSL*>(
        X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* check
        = static_cast<InstalledCheck*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), CheckIndex()));
    const int error = X509_STORE_CTX_get_error(store);
    if (check && Waives(check->policy, error)) {
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }
    if (check && check->verdict->refusedError == 0)
        check->verdict->refusedError = error;
    return 0;
}

bool IsAddress(const std::string& host)
{
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1
        || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

bool SetExpectedName(SSL_CTX* context, const std::string& host)
{
    X509_VERIFY_PARAM* parameters = SSL_CTX_get0_param(context);
    if (IsAddress(host))
        return X509_VERIFY_PARAM_set1_ip_asc(parameters, host.c_str()) == 1;
    return X509_VERIFY_PARAM_set1_host(parameters, host.c_str(), host.size()) == 1;
}

bool LoadAuthorities(SSL_CTX* context, const CertificatePolicy& policy)
{
    if (policy.trustSystemAuthorities && SSL_CTX_set_default_verify_paths(context) != 1)
        return false;
    return policy.trustedAuthorityFile.empty()
        || SSL_CTX_load_verify_locations(context, policy.trustedAuthorityFile.c_str(), nullptr)
        == 1;
}

} // namespace

int CertificatePolicy::Key() const
{
    return (ignoreName ? 1 : 0) | (ignoreDate ? 2 : 0) | (ignoreUnknownAuthority ? 4 : 0);
}

InternetError CertificateErrorOf(int verifyError)
{
    if (IsNameError(verifyError))
        return InternetError::CertificateNameInvalid;
    if (IsDateError(verifyError))
        return InternetError::CertificateDateInvalid;
    if (IsAuthorityError(verifyError))
        return InternetError::CertificateUnknownAuthority;
    return InternetError::CertificateInvalid;
}

std::string CertificateErrorText(int verifyError)
{
    return std::string("Server certificate refused: ") + X509_verify_cert_error_string(verifyError);
}

bool InstallCertificateCheck(
    void* sslContext, const CertificatePolicy& policy, std::shared_ptr<CertificateVerdict> verdict)
{
    auto* context = static_cast<SSL_CTX*>(sslContext);
    if (!LoadAuthorities(context, policy))
        return false;
    if (!policy.ignoreName && !SetExpectedName(context, policy.host))
        return false;
    auto* check = new InstalledCheck { policy, std::move(verdict) };
    if (SSL_CTX_set_ex_data(context, CheckIndex(), check) != 1) {
        delete check;
        return false;
    }
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, VerifyCertificate);
    return true;
}

} // namespace platform
