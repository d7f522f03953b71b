# Run by `cmake --install`: writes the three desktop entries of an
# installation into TV_DESKTOP_ENTRY_DIR, naming the files of the
# installation folder TV_INSTALL_FOLDER under the prefix installed to.
# TvRegister copies them as the user's shortcuts.

get_filename_component(folder "${CMAKE_INSTALL_PREFIX}/${TV_INSTALL_FOLDER}" ABSOLUTE)
if(folder MATCHES "[\n\r\t]")
    message(FATAL_ERROR "A desktop entry cannot name a path with line breaks or tabs: ${folder}")
endif()

# A string value of a desktop entry: a backslash is written as two.
function(tv_desktop_string text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# One argument of an Exec line: quoted, with \ " ` $ escaped by a backslash
# inside the quotes and % doubled, then written as a string value.
function(tv_exec_argument text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "`" "\\`" text "${text}")
    string(REPLACE "$" "\\$" text "${text}")
    string(REPLACE "%" "%%" text "${text}")
    tv_desktop_string("\"${text}\"" quoted)
    set(${out} "${quoted}" PARENT_SCOPE)
endfunction()

tv_exec_argument("${folder}/TvDesk" program)
tv_exec_argument("${folder}/TvUnInstall" uninstaller)
tv_exec_argument("${folder}/TvUserGuide.html" guide)
tv_desktop_string("${folder}/tvdesk.svg" icon)

file(WRITE "${TV_DESKTOP_ENTRY_DIR}/Tarvenly.desktop" "[Desktop Entry]
Type=Application
Name=Tarvenly
Comment=Trips, vehicles, service work and expenses of the Tarvenly vehicle log
Exec=${program}
Icon=${icon}
Terminal=false
Categories=Office;
")
file(WRITE "${TV_DESKTOP_ENTRY_DIR}/TvUninstall.desktop" "[Desktop Entry]
Type=Application
Name=TvUninstall
Comment=Remove Tarvenly
Exec=${uninstaller}
Icon=${icon}
Terminal=false
Categories=Office;
")
file(WRITE "${TV_DESKTOP_ENTRY_DIR}/TvUserGuide.desktop" "[Desktop Entry]
Type=Application
Name=TvUserGuide
Comment=The Tarvenly user guide
Exec=xdg-open ${guide}
Icon=${icon}
Terminal=false
Categories=Office;
")
