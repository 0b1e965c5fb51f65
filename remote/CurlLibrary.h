// libcurl, loaded on first use: the few calls the remote files make.
#pragma once

#include <curl/curl.h>

#include <string>

namespace remote {

struct CurlLibrary {
    CURL* (*easy_init)() = nullptr;
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easy_perform)(CURL*) = nullptr;
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
    void (*easy_reset)(CURL*) = nullptr;
    void (*easy_cleanup)(CURL*) = nullptr;
    const char* (*easy_strerror)(CURLcode) = nullptr;
    curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
    void (*slist_free_all)(curl_slist*) = nullptr;
};

// The library, loaded once; null with `reason` set when it is missing.
const CurlLibrary* LoadCurl(std::string& reason);

} // namespace remote
