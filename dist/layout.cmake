# The installed layout, relative to the install prefix. The build, the
# install and the uninstall all read it from here.
set(FINDERIX_INSTALL_BIN_DIR bin)
set(FINDERIX_INSTALL_MODULE_DIR lib/finderix)
# What the last install put down, one path relative to the prefix per line.
set(FINDERIX_INSTALL_MANIFEST ${FINDERIX_INSTALL_MODULE_DIR}/install-manifest.txt)
