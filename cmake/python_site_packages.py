"""Prints the folder, relative to an install prefix, where this interpreter finds packages
installed under that prefix: its own site-packages folder when it lies under the prefix (Debian:
lib/python3/dist-packages under /usr, lib/python3.X/dist-packages under /usr/local), otherwise the
one a prefix of its own has (lib/python3.X/site-packages)."""

import os
import sys
import sysconfig

prefix = os.path.normpath(os.path.abspath(sys.argv[1]))
default_scheme = getattr(sysconfig, "get_default_scheme", lambda: None)()
for scheme in ("deb_system", default_scheme):
    if scheme in sysconfig.get_scheme_names():
        path = os.path.normpath(sysconfig.get_path("platlib", scheme))
        try:
            under_prefix = os.path.commonpath([path, prefix]) == prefix
        except ValueError:  # another drive
            under_prefix = False
        if under_prefix:
            print(os.path.relpath(path, prefix).replace(os.sep, "/"))
            sys.exit(0)
scheme = "nt" if os.name == "nt" else "posix_prefix"
path = sysconfig.get_path("platlib", scheme, vars={"base": prefix, "platbase": prefix})
print(os.path.relpath(path, prefix).replace(os.sep, "/"))
