#pragma once

#include "remote/HttpTransport.h"

#include <QString>

#include <memory>

// Qt's network library, with what it brings (Kerberos, proxy detection), is loaded only
// by the module that carries the remote requests; the window and the command line load
// the module the first time a request is made.
namespace NetworkModule {

// A new transport of the module, which is loaded on the first call and stays loaded.
// Null when the module cannot be loaded; `problem` then says why.
std::unique_ptr<HttpTransport> createTransport(QString& problem);

} // namespace NetworkModule
