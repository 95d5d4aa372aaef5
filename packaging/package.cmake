# The Debian package: `cpack -G DEB` in the build folder. The programs link the system's
# Qt 6 libraries, so the package depends on their runtime packages instead of carrying them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME smeltwork-admin)
set(CPACK_PACKAGE_VENDOR "The Smeltwork maintainers")
set(CPACK_PACKAGE_CONTACT "The Smeltwork maintainers <maintainers@smeltwork.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the data of the Smeltwork crafting planner")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Smeltwork Admin edits the crafting data file (Smeltwork.dat) and help file\n"
    "(Smeltwork.hlp) of the Smeltwork crafting planner. smeltwork-tool shows both files\n"
    "as text, converts them to and from JSON and checks them for likely mistakes.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# qt6-qpa-plugins holds the window-system plugins; nothing links them, so name them here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), qt6-qpa-plugins, libc6 (>= 2.34), libstdc++6 (>= 12)")
