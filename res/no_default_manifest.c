/* Compiled as default-manifest.o and found before the toolchain's own: some
   MinGW-w64 distributions link that object (an asInvoker manifest) into every
   program, next to the manifest of trevanil.rc. This one adds nothing. */
typedef int trevanil_no_default_manifest;
