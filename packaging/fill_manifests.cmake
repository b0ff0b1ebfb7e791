# Fills the winget and scoop manifests in with the version and the SHA-256
# of the installer and the zip the build made:
#   cmake -DSOURCE=packaging -DOUT=dist -DVERSION=1.45 -DSETUP=... -DZIP=... -P fill_manifests.cmake
file(SHA256 ${SETUP} KIVO_SETUP_SHA256)
file(SHA256 ${ZIP} KIVO_ZIP_SHA256)
string(TOUPPER ${KIVO_SETUP_SHA256} KIVO_SETUP_SHA256)
set(PROJECT_VERSION ${VERSION})
foreach(name Welmark.Kivo.yaml Welmark.Kivo.installer.yaml Welmark.Kivo.locale.en-US.yaml)
  configure_file(${SOURCE}/winget/${name}.in ${OUT}/winget/${name} @ONLY)
endforeach()
configure_file(${SOURCE}/scoop/kivo.json.in ${OUT}/scoop/kivo.json @ONLY)
