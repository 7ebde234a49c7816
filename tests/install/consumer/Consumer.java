import stereo.brimlet;

/** Grabs one frame through an installed jar and library and checks its size. */
public class Consumer {
    public static void main(String[] args) {
        int rows = Integer.parseInt(args[0]);
        int cols = Integer.parseInt(args[1]);
        int[] planes = new brimlet().cppGrabImage(null, false, 1);
        if (planes.length != 3 * rows * cols) {
            throw new AssertionError(planes.length + " values instead of 3 x " + rows + " x " + cols);
        }
        System.out.println("installed stereo_brimlet gave 3 x " + rows + " x " + cols);
    }
}
