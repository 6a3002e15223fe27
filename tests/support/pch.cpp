// The precompiled headers of the test executables are built from this file.
