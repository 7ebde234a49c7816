package stereo;

import java.io.BufferedOutputStream;
import java.io.DataOutputStream;
import java.io.FileOutputStream;
import java.io.IOException;

/**
 * Runs in a child JVM for tests that need their own simulated camera, working
 * directory or a process that ends: grabs one frame per mode and writes the
 * arrays to a file. It prints nothing, so stdout is the library's alone.
 *
 * <pre>ChildGrab OUTFILE SNAPSHOT MODE...</pre>
 */
public final class ChildGrab {
    public static void main(String[] args) throws IOException {
        boolean snapshot = Boolean.parseBoolean(args[1]);
        brimlet camera = new brimlet();
        try (DataOutputStream out = new DataOutputStream(new BufferedOutputStream(new FileOutputStream(args[0])))) {
            for (int i = 2; i < args.length; i++) {
                int[] planes = camera.cppGrabImage(new int[] {0, 0}, snapshot, Integer.parseInt(args[i]));
                out.writeInt(planes.length);
                for (int value : planes) {
                    out.writeInt(value);
                }
            }
        }
    }

    private ChildGrab() {}
}
