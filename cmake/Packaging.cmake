# The Debian package (CPack's DEB generator): `bash scripts/package`, or cpack in build/.
# Packs what `cmake --install` installs, below /usr, into build/package/.

set(VARNE_PACKAGE_NAME varne-report)
# The Debian revision of this version: res/debian/changelog names the same.
set(VARNE_PACKAGE_RELEASE 1)

# Whether TARGET links LIBRARY, directly or through the project's own libraries. Looks at the
# names, so a library found in a subdirectory counts too.
function(varne_links_to result target library)
    set(${result} FALSE PARENT_SCOPE)
    set(pending ${target})
    set(seen)
    list(LENGTH pending left)
    while(left GREATER 0)
        list(POP_FRONT pending current)
        list(LENGTH pending left)
        if(current IN_LIST seen OR NOT TARGET ${current})
            continue()
        endif()
        list(APPEND seen ${current})
        get_property(direct TARGET ${current} PROPERTY LINK_LIBRARIES)
        get_property(interface TARGET ${current} PROPERTY INTERFACE_LINK_LIBRARIES)
        foreach(dependency IN LISTS direct interface)
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" dependency "${dependency}")
            if(dependency STREQUAL library)
                set(${result} TRUE PARENT_SCOPE)
                return()
            endif()
            list(APPEND pending ${dependency})
        endforeach()
        list(LENGTH pending left)
    endwhile()
endfunction()

# Run-time needs that dpkg-shlibdeps cannot see in the binaries (beyond these, read by the
# package tests). The dialog draws its labels in DejaVu Sans, as does a PDF that embeds it.
set(VARNE_PACKAGE_EXTRA_DEPENDS fonts-dejavu-core)
set(VARNE_PACKAGE_EXTRA_RECOMMENDS xdg-utils)
# Qt loads its SQL drivers as plugins: SQLite for the local record library, PostgreSQL for a
# shared one.
set(varne_links_sql FALSE)
foreach(program varne orvex_report)
    varne_links_to(links ${program} Qt6::Sql)
    if(links)
        set(varne_links_sql TRUE)
    endif()
endforeach()
if(varne_links_sql)
    list(APPEND VARNE_PACKAGE_EXTRA_DEPENDS libqt6sql6-sqlite)
    list(APPEND VARNE_PACKAGE_EXTRA_RECOMMENDS libqt6sql6-psql)
endif()
list(JOIN VARNE_PACKAGE_EXTRA_DEPENDS ", " varne_depends)
list(JOIN VARNE_PACKAGE_EXTRA_RECOMMENDS ", " varne_recommends)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VARNE_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Varne Report Team")
set(CPACK_PACKAGE_CONTACT "Varne Report Team <varne-report@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "report tool for Varne protection-relay test sets")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_NAME ${VARNE_PACKAGE_NAME})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VARNE_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://example.org/varne-report)
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Downloads the report memory of a Varne portable protection-relay test set
(the results of its last 30 tests) over the tester's USB-to-serial link and
writes a readable report: a text file, or a Word document filled from a
template.
.
This package holds the dialog orvex_report, the command-line tool varne
(download, report from a saved download, port listing, and a simulated
tester for demonstrations and training), the default configuration and Word
template, and a udev rule that lets the user at the seat open the tester's
USB bridge.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${varne_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${varne_recommends}")
# Legacy .doc templates are opened through LibreOffice Writer.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS libreoffice-writer)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/res/debian/postinst
    ${CMAKE_SOURCE_DIR}/res/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
