// Certificates made at run time for the TLS test server: one authority and a
// server certificate for each fault the client must tell apart. Every server
// certificate names "127.0.0.1" and "localhost" unless it is the wrong-name one.
//
//   TestCertificates certificates;
//   TestHttpServer server(certificates.Expired());
//   settings.TrustedAuthorityFile = certificates.AuthorityFile();
#pragma once

#include "tests/support/TemporaryFolder.h"

#include <string>

struct TestCertificate {
    std::string certificatePem;
    std::string privateKeyPem;
};

class TestCertificates {
public:
    TestCertificates();

    // A PEM file holding the authority, for the client to trust.
    const std::string& AuthorityFile() const { return authorityFile_; }
    const TestCertificate& Authority() const { return authority_; }

    // Issued by the authority, in date, for the right names.
    const TestCertificate& Valid() const { return valid_; }
    // Signed by itself, in date, for the right names.
    const TestCertificate& SelfSigned() const { return selfSigned_; }
    // Issued by an authority nobody trusts, in date, for the right names.
    const TestCertificate& UnknownIssuer() const { return unknownIssuer_; }
    // Issued by the authority for the right names, out of date.
    const TestCertificate& Expired() const { return expired_; }
    const TestCertificate& NotYetValid() const { return notYetValid_; }
    // Issued by the authority, in date, for "wrong.example" only.
    const TestCertificate& WrongName() const { return wrongName_; }

private:
    TemporaryFolder folder_;
    std::string authorityFile_;
    TestCertificate authority_;
    TestCertificate valid_;
    TestCertificate selfSigned_;
    TestCertificate unknownIssuer_;
    TestCertificate expired_;
    TestCertificate notYetValid_;
    TestCertificate wrongName_;
};
