// The enumerations and sets of the HTTP request component. They live in a
// meta-object namespace so that the published properties can name them, and
// are brought to the global scope where the component's users expect them.
#pragma once

#include <QFlags>
#include <QObject>

namespace acHTTPTypes {
Q_NAMESPACE

enum TacHTTPRequestMethod { rmAutoDetect, rmGET, rmPOST };
Q_ENUM_NS(TacHTTPRequestMethod)

enum TacHTTPAccessType { atPreconfig, atDirect, atUseProxy };
Q_ENUM_NS(TacHTTPAccessType)

enum TacCacheOption {
    coAlwaysReload = 0x01,
    coReloadIfNoExpireInformation = 0x02,
    coReloadUpdatedObjects = 0x04,
    coPragmaNoCache = 0x08,
    coNoCacheWrite = 0x10,
    coCreateTempFilesIfCantCache = 0x20,
    coUseCacheIfNetFail = 0x40,
};
Q_DECLARE_FLAGS(TacCacheOptions, TacCacheOption)
Q_FLAG_NS(TacCacheOptions)

enum TacInternetOption {
    ioIgnoreCertificateInvalid = 0x001,
    ioIgnoreCertificateDateInvalid = 0x002,
    ioIgnoreUnknownCertificateAuthority = 0x004,
    ioIgnoreRedirectToHTTP = 0x008,
    ioIgnoreRedirectToHTTPS = 0x010,
    ioKeepConnection = 0x020,
    ioNoAuthentication = 0x040,
    ioNoAutoRedirect = 0x080,
    ioNoCookies = 0x100,
};
Q_DECLARE_FLAGS(TacInternetOptions, TacInternetOption)
Q_FLAG_NS(TacInternetOptions)

enum TacFileAttribute {
    atrArchive = 0x01,
    atrHidden = 0x02,
    atrReadOnly = 0x04,
    atrSystem = 0x08,
    atrTemporary = 0x10,
    atrOffline = 0x20,
};
Q_DECLARE_FLAGS(TacFileAttributes, TacFileAttribute)
Q_FLAG_NS(TacFileAttributes)

} // namespace acHTTPTypes

Q_DECLARE_OPERATORS_FOR_FLAGS(acHTTPTypes::TacCacheOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(acHTTPTypes::TacInternetOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(acHTTPTypes::TacFileAttributes)

using namespace acHTTPTypes;
