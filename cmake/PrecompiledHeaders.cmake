# Precompiled headers: the Qt and standard headers most sources include are compiled once
# per build tree for each kind of target, and every target of that kind reuses them.
#
#   tavrin_precompile_headers(<target> <kind>)
#
# core      product code on Qt Core (strict warnings and strings)
# ui        product code that also uses Gui, Widgets and Svg
# tests     tests and their support on Qt Core, Network and Test (plain strings)
# ui_tests  tests that also use Gui, Widgets and Svg
#
# A kind's headers are compiled with the same definitions as its targets: those change
# what Qt's headers declare (QT_NO_CAST_FROM_ASCII, QT_GUI_LIB in QtTest), so a target
# must not reuse another kind's headers. With TAVRIN_PRECOMPILE_HEADERS off the function
# does nothing and each source includes what it needs by itself.
option(TAVRIN_PRECOMPILE_HEADERS "Precompile the common Qt headers once per kind of target" ON)

if(TAVRIN_PRECOMPILE_HEADERS AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  # ccache caches a compilation that uses a precompiled header only when it may ignore
  # the header's macro definitions and time stamps.
  set(CMAKE_CXX_COMPILER_LAUNCHER
    ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime
    ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

set(TAVRIN_PCH_HEADERS_core
  <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash>
  <QJsonArray> <QJsonDocument> <QJsonObject> <QList> <QMap> <QMutex> <QObject> <QPointer>
  <QProcess> <QString> <QStringList> <QTimer> <QUrl> <QVariant>
  <algorithm> <chrono> <functional> <memory> <optional> <vector>)
set(TAVRIN_PCH_HEADERS_ui ${TAVRIN_PCH_HEADERS_core}
  <QAbstractButton> <QApplication> <QBoxLayout> <QColor> <QComboBox> <QFontMetrics>
  <QImage> <QLabel> <QLineEdit> <QMenu> <QMessageBox> <QPainter> <QPixmap> <QPushButton>
  <QScrollArea> <QWidget>)
set(TAVRIN_PCH_HEADERS_tests ${TAVRIN_PCH_HEADERS_core} <QSignalSpy> <QTemporaryDir> <QTest>)
set(TAVRIN_PCH_HEADERS_ui_tests ${TAVRIN_PCH_HEADERS_ui} <QSignalSpy> <QTemporaryDir> <QTest>)

set(TAVRIN_PCH_LIBRARIES_core Qt6::Core tavrin_strict_warnings tavrin_strict_strings)
set(TAVRIN_PCH_LIBRARIES_ui ${TAVRIN_PCH_LIBRARIES_core} Qt6::Gui Qt6::Widgets Qt6::Svg)
set(TAVRIN_PCH_LIBRARIES_tests Qt6::Core Qt6::Network Qt6::Test tavrin_warnings)
set(TAVRIN_PCH_LIBRARIES_ui_tests ${TAVRIN_PCH_LIBRARIES_tests} Qt6::Gui Qt6::Widgets Qt6::Svg)

function(tavrin_precompile_headers target kind)
  if(NOT TAVRIN_PRECOMPILE_HEADERS)
    return()
  endif()
  if(NOT DEFINED TAVRIN_PCH_HEADERS_${kind})
    message(FATAL_ERROR "tavrin_precompile_headers: no kind \"${kind}\" (core, ui, tests, ui_tests)")
  endif()
  set(owner tavrin_pch_${kind})
  if(NOT TARGET ${owner})
    # A library of one empty source that compiles the kind's headers for the others.
    set(source ${CMAKE_BINARY_DIR}/pch/${kind}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Precompiled headers of the ${kind} targets.\n")
    add_library(${owner} OBJECT ${source})
    set_target_properties(${owner} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
    target_link_libraries(${owner} PRIVATE ${TAVRIN_PCH_LIBRARIES_${kind}})
    target_precompile_headers(${owner} PRIVATE ${TAVRIN_PCH_HEADERS_${kind}})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${owner})
endfunction()
