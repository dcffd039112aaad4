#include "tests/support/TestCertificates.h"

#include <atomic>
#include <fstream>
#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

constexpr long Day = 24 * 60 * 60;
const char* const RightNames = "IP:127.0.0.1,DNS:localhost";

void Require(bool done, const char* what)
{
    if (!done)
        throw std::runtime_error(std::string("test certificate: ") + what);
}

Key NewKey()
{
    Key key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    Require(key != nullptr, "key generation");
    return key;
}

struct Signer {
    X509* certificate;
    EVP_PKEY* key;
};

struct Shape {
    std::string commonName;
    std::string names;
    long validFrom = -Day;
    long validUntil = 30 * Day;
    bool authority = false;
};

void AddExtension(X509* certificate, X509* issuer, int id, const std::string& value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, id, value.c_str());
    Require(extension != nullptr, "extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

void SetNames(X509* certificate, const Shape& shape, X509* issuer)
{
    X509_NAME* subject = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(subject, "O", MBSTRING_ASC,
        reinterpret_cast<const unsigned char*>("Tornalo tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
        reinterpret_cast<const unsigned char*>(shape.commonName.c_str()), -1, -1, 0);
    X509_set_issuer_name(certificate, issuer ? X509_get_subject_name(issuer) : subject);
}

void SetExtensions(X509* certificate, const Shape& shape, X509* issuer)
{
    X509* signer = issuer ? issuer : certificate;
    AddExtension(certificate, signer, NID_subject_key_identifier, "hash");
    if (shape.authority) {
        AddExtension(certificate, signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(certificate, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        return;
    }
    if (issuer)
        AddExtension(certificate, signer, NID_authority_key_identifier, "keyid:always");
    AddExtension(certificate, signer, NID_basic_constraints, "CA:FALSE");
    AddExtension(certificate, signer, NID_ext_key_usage, "serverAuth");
    AddExtension(certificate, signer, NID_subject_alt_name, shape.names);
}

Certificate Issue(EVP_PKEY* key, const Shape& shape, const Signer* issuer)
{
    static std::atomic<long> serial = 1;
    Certificate certificate(X509_new(), X509_free);
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial++);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), shape.validFrom);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), shape.validUntil);
    X509_set_pubkey(certificate.get(), key);
    X509* issuerCertificate = issuer ? issuer->certificate : nullptr;
    SetNames(certificate.get(), shape, issuerCertificate);
    SetExtensions(certificate.get(), shape, issuerCertificate);
    Require(X509_sign(certificate.get(), issuer ? issuer->key : key, EVP_sha256()) > 0, "signing");
    return certificate;
}

std::string CertificatePem(X509* certificate)
{
    BIO* memory = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(memory, certificate);
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory, &data);
    std::string pem(data, size);
    BIO_free(memory);
    return pem;
}

std::string KeyPem(EVP_PKEY* key)
{
    BIO* memory = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(memory, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory, &data);
    std::string pem(data, size);
    BIO_free(memory);
    return pem;
}

class SigningAuthority {
public:
    explicit SigningAuthority(const std::string& name)
        : key_(NewKey()),
          certificate_(Issue(key_.get(), { name, "", -Day, 365 * Day, true }, nullptr))
    {
    }

    TestCertificate Own() const
    {
        return { CertificatePem(certificate_.get()), KeyPem(key_.get()) };
    }

    TestCertificate Sign(const Shape& shape) const
    {
        const Key key = NewKey();
        const Signer signer { certificate_.get(), key_.get() };
        const Certificate certificate = Issue(key.get(), shape, &signer);
        return { CertificatePem(certificate.get()), KeyPem(key.get()) };
    }

private:
    Key key_;
    Certificate certificate_;
};

TestCertificate SignedBySelf(const Shape& shape)
{
    const Key key = NewKey();
    const Certificate certificate = Issue(key.get(), shape, nullptr);
    return { CertificatePem(certificate.get()), KeyPem(key.get()) };
}

} // namespace

TestCertificates::TestCertificates()
{
    const SigningAuthority authority("Tornalo Test Authority");
    const SigningAuthority stranger("Unknown Test Authority");
    authority_ = authority.Own();
    valid_ = authority.Sign({ "127.0.0.1", RightNames });
    selfSigned_ = SignedBySelf({ "127.0.0.1", RightNames });
    unknownIssuer_ = stranger.Sign({ "127.0.0.1", RightNames });
    expired_ = authority.Sign({ "127.0.0.1", RightNames, -30 * Day, -Day });
    notYetValid_ = authority.Sign({ "127.0.0.1", RightNames, Day, 30 * Day });
    wrongName_ = authority.Sign({ "wrong.example", "DNS:wrong.example" });
    authorityFile_ = folder_.File("authority.pem");
    std::ofstream(authorityFile_, std::ios::binary) << authority_.certificatePem;
}
