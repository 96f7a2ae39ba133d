/* Nothing of its own: the runtime is linked whole into this DLL. */
