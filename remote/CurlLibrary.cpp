#include "remote/CurlLibrary.h"

#include <dlfcn.h>
#include <mutex>

namespace remote {

namespace {

template <typename F> bool Resolve(void* handle, const char* name, F& function) {
    function = reinterpret_cast<F>(::dlsym(handle, name));
    return function != nullptr;
}

} // namespace

const CurlLibrary* LoadCurl(std::string& reason) {
    static CurlLibrary library;
    static std::string failure;
    static std::once_flag once;
    static bool loaded = false;
    std::call_once(once, [] {
        void* handle = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            failure = "libcurl (Debian package libcurl4) is not installed.";
            return;
        }
        auto* globalInit =
            reinterpret_cast<CURLcode (*)(long)>(::dlsym(handle, "curl_global_init"));
        loaded = globalInit && globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK &&
                 Resolve(handle, "curl_easy_init", library.easy_init) &&
                 Resolve(handle, "curl_easy_setopt", library.easy_setopt) &&
                 Resolve(handle, "curl_easy_perform", library.easy_perform) &&
                 Resolve(handle, "curl_easy_getinfo", library.easy_getinfo) &&
                 Resolve(handle, "curl_easy_reset", library.easy_reset) &&
                 Resolve(handle, "curl_easy_cleanup", library.easy_cleanup) &&
                 Resolve(handle, "curl_easy_strerror", library.easy_strerror) &&
                 Resolve(handle, "curl_slist_append", library.slist_append) &&
                 Resolve(handle, "curl_slist_free_all", library.slist_free_all);
        if (!loaded)
            failure = "libcurl could not be started.";
    });
    if (!loaded) {
        reason = failure;
        return nullptr;
    }
    return &library;
}

} // namespace remote
