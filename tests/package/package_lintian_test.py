"""lintian on the two built packages: no errors and no warnings.

Usage: package_lintian_test.py PACKAGES
"""

import sys

from package_support import check, package_files, run, said

debs = package_files(sys.argv[1])
status, out, err = run(["lintian", "--fail-on", "error,warning", "--display-info"] +
                       sorted(debs.values()), timeout=600)
print(out.strip())
check(status == 0, said(status == 0, "lintian finds no error and no warning in %s"
                        % ", ".join(sorted(debs)), out + err))
