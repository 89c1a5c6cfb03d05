// Resource-only library: no code, only the resources of the script linked in.
